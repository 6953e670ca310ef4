#include "ui/Wnd.h"

#include "ui/CreateHook.h"
#include "ui/WinApp.h"

namespace ui {

namespace {
// The window property that links a handle to its CWnd.
const char kObjectProp[] = "kq.ui.CWnd";
// The class of windows created without a class name.
const char kPlainClass[] = "kq.ui.Wnd";

HINSTANCE ModuleInstance() { return ::GetModuleHandleA(nullptr); }

POINT PointFromLParam(LPARAM lParam) {
  POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  return point;
}

bool IsCtlColorMessage(UINT message) { return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC; }
}  // namespace

CWnd::CWnd()
    : m_hWnd(nullptr),
      m_pfnSuper(nullptr),
      m_bCreatedHere(false),
      m_nKeepAlive(0),
      m_bPostNcDestroyDue(false),
      m_curMessage(0),
      m_curWParam(0),
      m_curLParam(0) {}

CWnd::CKeepAlive::CKeepAlive(CWnd& wnd) : m_wnd(wnd) { ++m_wnd.m_nKeepAlive; }

// The last hold runs a PostNcDestroy that came due meanwhile; it may delete the
// object, so nothing of it is read afterwards.
CWnd::CKeepAlive::~CKeepAlive() {
  if (--m_wnd.m_nKeepAlive > 0 || !m_wnd.m_bPostNcDestroyDue) return;
  m_wnd.m_bPostNcDestroyDue = false;
  m_wnd.PostNcDestroy();
}

CWnd::~CWnd() {
  if (!m_hWnd) return;
  bool destroy = m_bCreatedHere;
  HWND hwnd = UnsubclassWindow();
  if (destroy) ::DestroyWindow(hwnd);
}

CWnd* CWnd::FromHandle(HWND hwnd) {
  return hwnd ? static_cast<CWnd*>(::GetPropA(hwnd, kObjectProp)) : nullptr;
}

bool CWnd::RegisterWindowClass(const char* className, UINT classStyle, HCURSOR cursor, HBRUSH background) {
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof(wc);
  if (::GetClassInfoExA(ModuleInstance(), className, &wc)) return true;
  wc.style = classStyle;
  wc.lpfnWndProc = ::DefWindowProcA;
  wc.hInstance = ModuleInstance();
  wc.hCursor = cursor;
  wc.hbrBackground = background;
  wc.lpszClassName = className;
  return ::RegisterClassExA(&wc) != 0;
}

BOOL CWnd::CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style, const RECT& rect,
                    HWND parent, UINT id) {
  if (m_hWnd) return FALSE;
  if (!className) {
    if (!RegisterWindowClass(kPlainClass, 0, ::LoadCursorA(nullptr, IDC_ARROW), nullptr)) return FALSE;
    className = kPlainClass;
  }
  HMENU menuOrId = (style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)) : nullptr;
  HWND hwnd;
  {
    CCreateHook hook(this, parent);
    hwnd = ::CreateWindowExA(exStyle, className, windowName, style, rect.left, rect.top, rect.right - rect.left,
                             rect.bottom - rect.top, parent, menuOrId, ModuleInstance(), nullptr);
  }
  if (!hwnd) return FALSE;
  if (!m_hWnd && !SubclassWindow(hwnd)) {
    ::DestroyWindow(hwnd);
    return FALSE;
  }
  m_bCreatedHere = true;
  return TRUE;
}

BOOL CWnd::Create(const char* className, const char* windowName, DWORD style, const RECT& rect, HWND parent,
                  UINT id) {
  return CreateEx(0, className, windowName, style, rect, parent, id);
}

bool CWnd::Attach(HWND hwnd) {
  if (m_hWnd || !hwnd || FromHandle(hwnd)) return false;
  if (!::SetPropA(hwnd, kObjectProp, this)) return false;
  m_hWnd = hwnd;
  m_pfnSuper = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::WndProc)));
  return true;
}

BOOL CWnd::SubclassWindow(HWND hwnd) { return ::IsWindow(hwnd) && Attach(hwnd); }

BOOL CWnd::SubclassDlgItem(UINT id, HWND parent) { return SubclassWindow(::GetDlgItem(parent, static_cast<int>(id))); }

HWND CWnd::UnsubclassWindow() {
  HWND hwnd = m_hWnd;
  if (!hwnd) return nullptr;
  // Someone who subclassed after us still chains to our procedure: leave theirs.
  if (reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(hwnd, GWLP_WNDPROC)) == &CWnd::WndProc)
    ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
  ::RemovePropA(hwnd, kObjectProp);
  m_hWnd = nullptr;
  m_bCreatedHere = false;
  return hwnd;
}

BOOL CWnd::DestroyWindow() { return m_hWnd ? ::DestroyWindow(m_hWnd) : FALSE; }

LRESULT CALLBACK CWnd::WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  CWnd* wnd = FromHandle(hwnd);
  if (!wnd) return ::DefWindowProcA(hwnd, message, wParam, lParam);
  return wnd->Dispatch(message, wParam, lParam);
}

// Runs WindowProc with the current message remembered for Default(); no exception
// leaves here. After WM_NCDESTROY the object lets go of the handle; the hold runs
// PostNcDestroy when this is the outermost handler of the object.
LRESULT CWnd::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  CKeepAlive hold(*this);
  UINT savedMessage = m_curMessage;
  WPARAM savedWParam = m_curWParam;
  LPARAM savedLParam = m_curLParam;
  m_curMessage = message;
  m_curWParam = wParam;
  m_curLParam = lParam;
  LRESULT result = 0;
  try {
    result = WindowProc(message, wParam, lParam);
  } catch (...) {
    result = 0;
  }
  m_curMessage = savedMessage;
  m_curWParam = savedWParam;
  m_curLParam = savedLParam;
  if (message == WM_NCDESTROY && m_hWnd) OnWindowGone();
  return result;
}

// The window is gone: detach, end the program's message loop when this was the main
// window, and let PostNcDestroy come when the handlers running now have returned.
void CWnd::OnWindowGone() {
  UnsubclassWindow();
  CWinApp* app = CWinApp::GetApp();
  if (app && app->m_pMainWnd == this) {
    app->m_pMainWnd = nullptr;
    ::PostQuitMessage(0);
  }
  m_bPostNcDestroyDue = true;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  return RouteMessage(message, wParam, lParam);
}

LRESULT CWnd::RouteMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT reflected = 0;
  if (ReflectToChild(message, wParam, lParam, &reflected)) return reflected;
  switch (message) {
    case WM_CREATE: return OnCreate(reinterpret_cast<CREATESTRUCTA*>(lParam));
    case WM_DESTROY: OnDestroy(); return 0;
    case WM_PAINT: OnPaint(); return 0;
    case WM_ERASEBKGND: return OnEraseBkgnd(reinterpret_cast<HDC>(wParam));
    case WM_TIMER: OnTimer(wParam); return 0;
    case WM_SIZE: OnSize(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam)); return 0;
    case WM_LBUTTONDOWN: OnLButtonDown(static_cast<UINT>(wParam), PointFromLParam(lParam)); return 0;
    case WM_LBUTTONUP: OnLButtonUp(static_cast<UINT>(wParam), PointFromLParam(lParam)); return 0;
    case WM_MOUSEMOVE: OnMouseMove(static_cast<UINT>(wParam), PointFromLParam(lParam)); return 0;
    case WM_MOUSELEAVE: OnMouseLeave(); return 0;
    case WM_NCHITTEST: return OnNcHitTest(PointFromLParam(lParam));
    case WM_HSCROLL: OnHScroll(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)); return 0;
    case WM_VSCROLL: OnVScroll(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)); return 0;
    case WM_DRAWITEM:
      OnDrawItem(static_cast<int>(wParam), reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_MEASUREITEM:
      OnMeasureItem(static_cast<int>(wParam), reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_COMMAND: return OnCommand(wParam, lParam) ? 0 : Default();
    case WM_QUERYDRAGICON: return reinterpret_cast<LRESULT>(OnQueryDragIcon());
    default:
      if (IsCtlColorMessage(message)) {
        UINT ctlType = message - WM_CTLCOLORMSGBOX;
        return reinterpret_cast<LRESULT>(
            OnCtlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), ctlType));
      }
      return Default();
  }
}

// Parent side of reflection: finds the child object the message belongs to and lets
// it answer first.
bool CWnd::ReflectToChild(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  HWND child = nullptr;
  switch (message) {
    case WM_DRAWITEM:
      if (reinterpret_cast<DRAWITEMSTRUCT*>(lParam)->CtlType == ODT_MENU) return false;
      child = GetDlgItem(static_cast<int>(wParam));
      break;
    case WM_MEASUREITEM:
      if (reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->CtlType == ODT_MENU) return false;
      child = GetDlgItem(static_cast<int>(wParam));
      break;
    case WM_COMMAND:
      child = reinterpret_cast<HWND>(lParam);
      break;
    default:
      if (!IsCtlColorMessage(message)) return false;
      child = reinterpret_cast<HWND>(lParam);
      break;
  }
  CWnd* target = child != m_hWnd ? FromHandle(child) : nullptr;
  return target && target->OnChildNotify(message, wParam, lParam, result);
}

bool CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM, LRESULT* result) {
  if (IsCtlColorMessage(message)) {
    HBRUSH brush = CtlColor(reinterpret_cast<HDC>(wParam), message - WM_CTLCOLORMSGBOX);
    if (!brush) return false;
    *result = reinterpret_cast<LRESULT>(brush);
    return true;
  }
  if (message == WM_COMMAND && OnControlReflect(HIWORD(wParam))) {
    *result = 0;
    return true;
  }
  return false;
}

HBRUSH CWnd::CtlColor(HDC, UINT) { return nullptr; }
bool CWnd::OnControlReflect(UINT) { return false; }

LRESULT CWnd::Default() { return DefWindowProc(m_curMessage, m_curWParam, m_curLParam); }

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (m_pfnSuper) return ::CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
  return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

void CWnd::PostNcDestroy() {}

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

int CWnd::OnCreate(CREATESTRUCTA*) { return static_cast<int>(Default()); }
void CWnd::OnDestroy() { Default(); }
void CWnd::OnPaint() { Default(); }
BOOL CWnd::OnEraseBkgnd(HDC) { return static_cast<BOOL>(Default()); }
void CWnd::OnTimer(UINT_PTR) { Default(); }
void CWnd::OnSize(UINT, int, int) { Default(); }
void CWnd::OnLButtonDown(UINT, POINT) { Default(); }
void CWnd::OnLButtonUp(UINT, POINT) { Default(); }
void CWnd::OnMouseMove(UINT, POINT) { Default(); }
void CWnd::OnMouseLeave() { Default(); }
LRESULT CWnd::OnNcHitTest(POINT) { return Default(); }
void CWnd::OnHScroll(UINT, UINT, HWND) { Default(); }
void CWnd::OnVScroll(UINT, UINT, HWND) { Default(); }
HBRUSH CWnd::OnCtlColor(HDC, HWND, UINT) { return reinterpret_cast<HBRUSH>(Default()); }
void CWnd::OnDrawItem(int, DRAWITEMSTRUCT*) { Default(); }
void CWnd::OnMeasureItem(int, MEASUREITEMSTRUCT*) { Default(); }
BOOL CWnd::OnCommand(WPARAM, LPARAM) { return FALSE; }
HCURSOR CWnd::OnQueryDragIcon() { return reinterpret_cast<HCURSOR>(Default()); }

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
  return ::SendMessageA(m_hWnd, message, wParam, lParam);
}
BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
  return ::PostMessageA(m_hWnd, message, wParam, lParam);
}
BOOL CWnd::SetWindowText(const char* text) { return ::SetWindowTextA(m_hWnd, text); }
int CWnd::GetWindowText(char* buffer, int size) const { return ::GetWindowTextA(m_hWnd, buffer, size); }
BOOL CWnd::EnableWindow(BOOL enable) { return ::EnableWindow(m_hWnd, enable); }
BOOL CWnd::IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
BOOL CWnd::ShowWindow(int command) { return ::ShowWindow(m_hWnd, command); }
BOOL CWnd::IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
BOOL CWnd::IsIconic() const { return ::IsIconic(m_hWnd); }
void CWnd::Invalidate(BOOL erase) { ::InvalidateRect(m_hWnd, nullptr, erase); }
void CWnd::InvalidateRect(const RECT* rect, BOOL erase) { ::InvalidateRect(m_hWnd, rect, erase); }
void CWnd::UpdateWindow() { ::UpdateWindow(m_hWnd); }
void CWnd::GetClientRect(RECT* rect) const { ::GetClientRect(m_hWnd, rect); }
void CWnd::GetWindowRect(RECT* rect) const { ::GetWindowRect(m_hWnd, rect); }
void CWnd::ScreenToClient(RECT* rect) const { ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(rect), 2); }
void CWnd::ClientToScreen(POINT* point) const { ::ClientToScreen(m_hWnd, point); }
BOOL CWnd::MoveWindow(int x, int y, int width, int height, BOOL repaint) {
  return ::MoveWindow(m_hWnd, x, y, width, height, repaint);
}
BOOL CWnd::MoveWindow(const RECT& rect, BOOL repaint) {
  return ::MoveWindow(m_hWnd, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, repaint);
}
BOOL CWnd::SetWindowPos(HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  return ::SetWindowPos(m_hWnd, insertAfter, x, y, cx, cy, flags);
}
int CWnd::SetWindowRgn(HRGN region, BOOL redraw) { return ::SetWindowRgn(m_hWnd, region, redraw); }
UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapse) { return ::SetTimer(m_hWnd, id, elapse, nullptr); }
BOOL CWnd::KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }
HWND CWnd::SetCapture() { return ::SetCapture(m_hWnd); }
HWND CWnd::GetParent() const { return ::GetParent(m_hWnd); }
HWND CWnd::GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
int CWnd::GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
void CWnd::SetFont(HFONT font, BOOL redraw) { SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw); }
HFONT CWnd::GetFont() const { return reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)); }
HICON CWnd::SetIcon(HICON icon, BOOL big) {
  return reinterpret_cast<HICON>(SendMessage(WM_SETICON, big ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon)));
}
DWORD CWnd::GetStyle() const { return static_cast<DWORD>(::GetWindowLongPtrA(m_hWnd, GWL_STYLE)); }
DWORD CWnd::GetExStyle() const { return static_cast<DWORD>(::GetWindowLongPtrA(m_hWnd, GWL_EXSTYLE)); }

void CWnd::CenterWindow() {
  RECT area;
  HWND reference = nullptr;
  if (GetStyle() & WS_CHILD) {
    reference = GetParent();
    ::GetClientRect(reference, &area);
  } else {
    reference = ::GetWindow(m_hWnd, GW_OWNER);
    if (reference && ::IsWindowVisible(reference) && !::IsIconic(reference)) {
      ::GetWindowRect(reference, &area);
    } else {
      MONITORINFO info = {};
      info.cbSize = sizeof(info);
      ::GetMonitorInfoA(::MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTOPRIMARY), &info);
      area = info.rcWork;
    }
  }
  RECT own;
  GetWindowRect(&own);
  int width = own.right - own.left;
  int height = own.bottom - own.top;
  int x = area.left + (area.right - area.left - width) / 2;
  int y = area.top + (area.bottom - area.top - height) / 2;
  SetWindowPos(nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace ui
