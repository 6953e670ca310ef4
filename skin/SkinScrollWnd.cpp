#include "skin/SkinScrollWnd.h"

#include "skin/SkinScrollDraw.h"
#include "ui/Dc.h"
#include "ui/SelectGuard.h"

#include <windowsx.h>

namespace {

const char kFrameClass[] = "KQSkinScrollFrame";
const char kFrameText[] = "SkinScrollBarFrame";
const char kViewportText[] = "LIMIT";
// WS_CHILD with the class-specific bit 0x100 that the frame has always carried.
const DWORD kFrameStyle = 0x40000100;
const int kCornerNone = 0;
const int kCornerLeft = 1;
const int kCornerRight = 2;

// The window's rectangle in its parent's client coordinates.
RECT RectInParent(HWND hwnd) {
  RECT rect;
  ::GetWindowRect(hwnd, &rect);
  ::MapWindowPoints(nullptr, ::GetParent(hwnd), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

SCROLLINFO ReadScrollInfo(HWND hwnd, int which) {
  SCROLLINFO info = {};
  info.cbSize = sizeof(info);
  info.fMask = SIF_ALL;
  if (!::GetScrollInfo(hwnd, which, &info)) info.fMask = 0;
  return info;
}

bool HasStyle(HWND hwnd, DWORD bits) { return (::GetWindowLongA(hwnd, GWL_STYLE) & bits) != 0; }

bool IsLeftMouseMessage(UINT message) {
  return message == WM_MOUSEMOVE || message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK ||
         message == WM_LBUTTONUP;
}

bool Differs(const SCROLLINFO& a, const SCROLLINFO& b) {
  return a.nMin != b.nMin || a.nMax != b.nMax || a.nPos != b.nPos || a.nPage != b.nPage;
}

}  // namespace

cSkinScrollWnd::cSkinScrollWnd()
    : m_target(nullptr),
      m_targetProc(nullptr),
      m_a(16),
      m_bitmap(nullptr),
      m_busy(false),
      m_cornerMode(kCornerNone),
      m_targetX(0),
      m_destroying(false) {}

cSkinScrollWnd::~cSkinScrollWnd() = default;

cSkinScrollWnd* cSkinScrollWnd::FromTarget(HWND target) {
  if (target == nullptr || ::GetWindowLongPtrA(target, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(&TargetProc))
    return nullptr;
  return reinterpret_cast<cSkinScrollWnd*>(::GetWindowLongPtrA(target, GWLP_USERDATA));
}

// The frame takes the target's styles that draw outside its client area (border,
// client edge), so the target loses them and its inner rectangle shrinks.
bool cSkinScrollWnd::Attach(HWND target, HBITMAP bitmap) {
  if (target == nullptr || !::IsWindow(target) || FromTarget(target) != nullptr || m_hWnd != nullptr) return false;
  m_bitmap = bitmap;
  BITMAP info = {};
  if (bitmap != nullptr && ::GetObjectA(bitmap, sizeof(info), &info) != 0) m_a = info.bmWidth / 9;

  HWND parent = ::GetParent(target);
  RECT place = RectInParent(target);
  UINT id = (UINT)::GetDlgCtrlID(target);
  DWORD style = (DWORD)::GetWindowLongA(target, GWL_STYLE);
  DWORD exStyle = (DWORD)::GetWindowLongA(target, GWL_EXSTYLE);
  if (!CreateFrame(place, style, exStyle, parent, id) || !CreateChildren()) {
    if (m_hWnd != nullptr) {
      m_destroying = true;  // nothing to unwrap; the object stays with the caller
      ui::CWnd::DestroyWindow();
    }
    return false;
  }

  RECT inner = {0, 0, place.right - place.left, place.bottom - place.top};
  if (style & WS_BORDER) {
    ::SetWindowLongA(target, GWL_STYLE, (LONG)(style & ~WS_BORDER));
    inner.right -= 2 * ::GetSystemMetrics(SM_CXBORDER);
    inner.bottom -= 2 * ::GetSystemMetrics(SM_CXBORDER);
  }
  if (exStyle & WS_EX_CLIENTEDGE) {
    ::SetWindowLongA(target, GWL_EXSTYLE, (LONG)(exStyle & ~WS_EX_CLIENTEDGE));
    inner.right -= 2 * ::GetSystemMetrics(SM_CXEDGE);
    inner.bottom -= 2 * ::GetSystemMetrics(SM_CXEDGE);
  }

  m_target = target;
  ::SetParent(target, m_viewport.GetSafeHwnd());
  ::SetWindowLongPtrA(target, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  m_targetProc = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrA(target, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TargetProc)));
  // SWP_FRAMECHANGED: the target recomputes its non-client area even when its size
  // does not change, which places the skinned bars.
  ::SetWindowPos(target, nullptr, inner.left, inner.top, inner.right - inner.left, inner.bottom - inner.top,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  SetTimer(kSyncTimer, kSyncMs);
  return true;
}

bool cSkinScrollWnd::CreateFrame(const RECT& place, DWORD targetStyle, DWORD targetExStyle, HWND parent, UINT id) {
  if (!RegisterWindowClass(kFrameClass, 0, nullptr, nullptr)) return false;
  DWORD style = kFrameStyle;
  DWORD exStyle = 0;
  if (targetExStyle & WS_EX_TOOLWINDOW) exStyle |= WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
  if (targetStyle & WS_VISIBLE) style |= WS_VISIBLE;
  if (targetStyle & WS_BORDER) style |= WS_BORDER;
  if (targetExStyle & WS_EX_CLIENTEDGE) exStyle |= WS_EX_CLIENTEDGE;
  return CreateEx(exStyle, kFrameClass, kFrameText, style, place, parent, id) != FALSE;
}

bool cSkinScrollWnd::CreateChildren() {
  const RECT empty = {0, 0, 0, 0};
  if (!m_viewport.CreateEx(0, nullptr, kViewportText, WS_CHILD | WS_VISIBLE, empty, m_hWnd, kViewportId))
    return false;
  if (!m_horizontal.Create(WS_CHILD | SBS_HORZ, empty, m_hWnd, kHorizontalId)) return false;
  if (!m_vertical.Create(WS_CHILD | SBS_VERT, empty, m_hWnd, kVerticalId)) return false;
  m_horizontal.SetBitmap(m_bitmap);
  m_vertical.SetBitmap(m_bitmap);
  return true;
}

LRESULT CALLBACK cSkinScrollWnd::TargetProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  cSkinScrollWnd* frame = reinterpret_cast<cSkinScrollWnd*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (frame == nullptr) return ::DefWindowProcA(hwnd, message, wParam, lParam);
  return frame->HandleTargetMessage(message, wParam, lParam);
}

// The target's own procedure may destroy the target (WM_CLOSE to an edit control,
// a control that closes itself): its WM_DESTROY unwraps and destroys the frame
// within the call. The hold keeps this object until the call is over, and nothing
// more is done for a target that is no longer wrapped by this frame.
LRESULT cSkinScrollWnd::HandleTargetMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  WNDPROC previous = m_targetProc;
  HWND target = m_target;
  if (message == WM_DESTROY) {
    UnwrapSkinScroll(target);  // may delete this
    return ::CallWindowProcA(previous, target, message, wParam, lParam);
  }
  CKeepAlive hold(*this);
  if (IsLeftMouseMessage(message) && ::GetCapture() == target) {
    cSkinScrollBar* bar = BarUnder(lParam);
    if (bar != nullptr) return ForwardToBar(*bar, message, wParam, lParam);
  }
  if (message == WM_WINDOWPOSCHANGING && !m_busy) KeepTargetInPlace(reinterpret_cast<WINDOWPOS*>(lParam));
  // The proposed window rectangle, before the previous procedure turns it into
  // the client rectangle.
  POINT origin = {0, 0};
  if (message == WM_NCCALCSIZE && wParam) {
    const RECT& proposed = reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0];
    origin = POINT{proposed.left, proposed.top};
  }
  LRESULT result = ::CallWindowProcA(previous, target, message, wParam, lParam);
  if (m_busy || !IsWrapping(target)) return result;
  if (message == WM_ERASEBKGND) {
    if (HasStyle(target, WS_VSCROLL)) SyncBar(m_vertical, SB_VERT);
    if (HasStyle(target, WS_HSCROLL)) SyncBar(m_horizontal, SB_HORZ);
  } else if (message == WM_NCCALCSIZE && wParam) {
    PlaceBars(reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam), origin);
  }
  return result;
}

// A target that holds the mouse capture (a dropped combo list) gets the pointer's
// messages also where the skinned bars stand over its own scroll-bar strip. The
// skinned bar under the point, when there is one, takes them instead, so a press
// acts on the parts the user sees (the bar then holds the capture until the
// release and gives it back).
cSkinScrollBar* cSkinScrollWnd::BarUnder(LPARAM targetPoint) {
  POINT point = {GET_X_LPARAM(targetPoint), GET_Y_LPARAM(targetPoint)};
  ::ClientToScreen(m_target, &point);
  cSkinScrollBar* const bars[] = {&m_vertical, &m_horizontal};
  for (cSkinScrollBar* bar : bars) {
    RECT place;
    bar->GetWindowRect(&place);
    if ((bar->GetStyle() & WS_VISIBLE) != 0 && ::PtInRect(&place, point)) return bar;
  }
  return nullptr;
}

LRESULT cSkinScrollWnd::ForwardToBar(cSkinScrollBar& bar, UINT message, WPARAM wParam, LPARAM targetPoint) {
  POINT point = {GET_X_LPARAM(targetPoint), GET_Y_LPARAM(targetPoint)};
  ::MapWindowPoints(m_target, bar.GetSafeHwnd(), &point, 1);
  return bar.SendMessage(message, wParam, MAKELPARAM(point.x, point.y));
}

// The frame decides where the target lies: at the viewport's origin (x = -a with
// the bars on the left), exactly as large as the frame's client area. A move or size
// from anyone else (a combo box places and sizes its list in screen coordinates on
// every drop-down, from the frame's outer size) is overruled, so the target's own
// scroll-bar strip always lies under the skinned bar and its client area never
// reaches past the viewport.
void cSkinScrollWnd::KeepTargetInPlace(WINDOWPOS* pos) const {
  if ((pos->flags & SWP_NOMOVE) == 0) {
    pos->x = m_targetX;
    pos->y = 0;
  }
  RECT client;
  GetClientRect(&client);
  if ((pos->flags & SWP_NOSIZE) == 0 && client.right > 0 && client.bottom > 0) {
    pos->cx = client.right;
    pos->cy = client.bottom;
  }
}

// Copies the target's scroll state for one bar into the skinned bar; the bar is
// enabled while the range is at least a page (unsigned comparison).
void cSkinScrollWnd::SyncBar(cSkinScrollBar& bar, int which) {
  SCROLLINFO info = ReadScrollInfo(m_target, which);
  if (info.fMask == 0) return;
  info.fMask = SIF_ALL;
  bar.SetScrollInfo(&info, TRUE);
  bar.EnableWindow((UINT)info.nMax >= info.nPage);
}

void cSkinScrollWnd::SyncIfChanged(cSkinScrollBar& bar, int which) {
  if ((bar.GetStyle() & WS_VISIBLE) == 0) return;
  SCROLLINFO target = ReadScrollInfo(m_target, which);
  SCROLLINFO shown = {};
  bar.GetScrollInfo(&shown, SIF_ALL);
  if (target.fMask != 0 && Differs(target, shown)) {
    target.fMask = SIF_ALL;
    bar.SetScrollInfo(&target, TRUE);
  }
}

// The target's proposed client rectangle grows over its system scroll bar less the
// skinned bar's thickness; the skinned bars stand beside it.
//
// The bars are placed from the client rectangle taken relative to the target's own
// window origin, which the frame keeps at its own top-left corner (the viewport's
// origin, or a to the left of it with the bars on the left).
void cSkinScrollWnd::PlaceBars(NCCALCSIZE_PARAMS* params, POINT origin) {
  RECT& client = params->rgrc[0];
  int v = ::GetSystemMetrics(SM_CXVSCROLL);
  bool left = (::GetWindowLongA(m_target, GWL_EXSTYLE) & WS_EX_LEFTSCROLLBAR) != 0;
  bool vertical = HasStyle(m_target, WS_VSCROLL);
  bool horizontal = HasStyle(m_target, WS_HSCROLL);
  if (vertical) {
    if (left)
      client.left += m_a - v;
    else
      client.right += v - m_a;
  }
  if (horizontal) client.bottom += v - m_a;
  RECT rc = client;
  ::OffsetRect(&rc, -origin.x, -origin.y);

  RECT verticalRect = left ? RECT{rc.left - m_a, 0, rc.left, rc.bottom} : RECT{rc.right, 0, rc.right + m_a, rc.bottom};
  RECT horizontalRect =
      left ? RECT{rc.left, rc.bottom, rc.right, rc.bottom + m_a} : RECT{0, rc.bottom, rc.right, rc.bottom + m_a};
  m_cornerMode = vertical && horizontal ? (left ? kCornerLeft : kCornerRight) : kCornerNone;

  m_vertical.MoveWindow(verticalRect);
  m_vertical.ShowWindow(vertical ? SW_SHOW : SW_HIDE);
  m_horizontal.MoveWindow(horizontalRect);
  m_horizontal.ShowWindow(horizontal ? SW_SHOW : SW_HIDE);
  PostLayout();
}

void cSkinScrollWnd::PostLayout() {
  bool left = (::GetWindowLongA(m_target, GWL_EXSTYLE) & WS_EX_LEFTSCROLLBAR) != 0;
  PostMessage(kLayoutMessage, HasStyle(m_target, WS_VSCROLL) ? WS_VSCROLL : 0, left ? 1 : 0);
}

LRESULT cSkinScrollWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kLayoutMessage) {
    Layout(wParam != 0, lParam != 0);
    return 0;
  }
  return ui::CWnd::WindowProc(message, wParam, lParam);
}

// The viewport cuts off the strip of the target's own scroll bar; the skinned bar,
// a sibling of the viewport, stands there instead. A bar counts by its own
// WS_VISIBLE bit, so a hidden frame lays out the same as a shown one.
void cSkinScrollWnd::Layout(bool vertical, bool left) {
  if (m_target == nullptr) return;
  m_busy = true;
  RECT viewport;
  GetClientRect(&viewport);
  int x = 0;
  if (m_horizontal.GetStyle() & WS_VISIBLE) viewport.bottom -= m_a;
  if (vertical) {
    if (left) {
      viewport.left += m_a;
      x = -m_a;
    } else {
      viewport.right -= m_a;
    }
  }
  m_viewport.MoveWindow(viewport);
  m_targetX = x;
  ::SetWindowPos(m_target, nullptr, x, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  m_busy = false;
}

void cSkinScrollWnd::OnSize(UINT type, int cx, int cy) {
  ui::CWnd::OnSize(type, cx, cy);
  if (cx != 0 && cy != 0 && m_viewport.GetSafeHwnd() != nullptr && m_target != nullptr)
    ::MoveWindow(m_target, 0, 0, cx, cy, TRUE);
}

// The target scrolls its own content; its resulting state is copied back except
// during a drag, when the skinned bar already shows the track position.
// The target may destroy itself while it scrolls, and the frame with it; the hold
// keeps this object until the end.
void cSkinScrollWnd::DriveTarget(UINT message, UINT code, UINT pos, cSkinScrollBar& bar, int which) {
  if (m_target == nullptr) return;
  CKeepAlive hold(*this);
  HWND target = m_target;
  m_busy = true;
  ::SendMessageA(target, message, MAKEWPARAM(code, pos), 0);
  m_busy = false;
  if (code != SB_THUMBTRACK && IsWrapping(target)) SyncBar(bar, which);
}

bool cSkinScrollWnd::IsWrapping(HWND target) const { return m_hWnd != nullptr && FromTarget(target) == this; }

void cSkinScrollWnd::OnVScroll(UINT code, UINT pos, HWND) { DriveTarget(WM_VSCROLL, code, pos, m_vertical, SB_VERT); }

void cSkinScrollWnd::OnHScroll(UINT code, UINT pos, HWND) {
  DriveTarget(WM_HSCROLL, code, pos, m_horizontal, SB_HORZ);
}

void cSkinScrollWnd::OnPaint() {
  ui::CDC dc;
  if (!dc.BeginPaint(m_hWnd) || m_bitmap == nullptr || m_cornerMode == kCornerNone) return;
  ui::CDC source;
  if (!source.CreateCompatibleDC(dc)) return;
  ui::CSelectGuard select(source, m_bitmap);
  if (!select.IsSelected()) return;
  RECT client;
  GetClientRect(&client);
  bool left = m_cornerMode == kCornerLeft;
  RECT tile = ScrollTileRect(m_a, kScrollCornerColumn, left ? 1 : 0);
  int x = left ? client.left : client.right - m_a;
  RECT area = {x, client.bottom - m_a, x + m_a, client.bottom};
  DrawScrollTile(dc, area, source, tile);
}

void cSkinScrollWnd::OnTimer(UINT_PTR id) {
  if (id != kSyncTimer || m_target == nullptr) {
    ui::CWnd::OnTimer(id);
    return;
  }
  SyncIfChanged(m_vertical, SB_VERT);
  SyncIfChanged(m_horizontal, SB_HORZ);
}

void cSkinScrollWnd::OnDestroy() {
  m_destroying = true;
  ui::CWnd::OnDestroy();
}

// The frame deletes itself once it was attached; a frame whose Attach failed stays
// with its creator.
void cSkinScrollWnd::PostNcDestroy() {
  if (m_target != nullptr) delete this;
}

// Gives the target its procedure and its place back. When the frame is already
// being destroyed (its parent went first), the target goes down with it and only
// the procedure is restored.
void cSkinScrollWnd::Unwrap() {
  HWND target = m_target;
  ::SetWindowLongPtrA(target, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_targetProc));
  ::SetWindowLongPtrA(target, GWLP_USERDATA, 0);
  if (m_destroying) return;
  RECT place = RectInParent(m_hWnd);
  ::SetParent(target, GetParent());
  ::MoveWindow(target, place.left, place.top, place.right - place.left, place.bottom - place.top, TRUE);
  ui::CWnd::DestroyWindow();  // PostNcDestroy deletes the frame
}

cSkinScrollWnd* WrapWithSkinScroll(HWND target, HBITMAP bitmap) {
  cSkinScrollWnd* frame = new cSkinScrollWnd();
  if (!frame->Attach(target, bitmap)) {
    delete frame;
    return nullptr;
  }
  return frame;
}

void UnwrapSkinScroll(HWND target) {
  cSkinScrollWnd* frame = cSkinScrollWnd::FromTarget(target);
  if (frame != nullptr) frame->Unwrap();
}
