#include "skin/SkinDialog.h"

#include "skin/SkinBitmap.h"
#include "skin/SkinDialogTemplate.h"
#include "skin/SkinDraw.h"
#include "ui/Rgn.h"

cSkinDialog::cSkinDialog(ui::CWnd* pParent)
    : CDialog(IDD_SKIN_DIALOG, pParent),
      m_pResource(nullptr),
      m_dragRect{0, 0, 0, 0},
      m_width(0),
      m_height(0),
      m_hPreviousBitmap(nullptr) {}

// A window still open here would get its WM_DESTROY after this object is gone.
cSkinDialog::~cSkinDialog() { DestroyWindow(); }

void cSkinDialog::SetResource(const cSkinDialogResource* pResource) {
  m_pResource = pResource;
  if (pResource == nullptr) {
    return;
  }
  m_dragRect = pResource->GetRect();
  m_width = pResource->GetWidth();
  m_height = pResource->GetHeight();
}

INT_PTR cSkinDialog::DoModal(const cSkinDialogResource* pResource) {
  SetResource(pResource);
  if (m_pResource == nullptr) {
    return -1;
  }
  return ui::CDialog::DoModal();
}

int cSkinDialog::OnCreate(CREATESTRUCTA* cs) {
  if (m_pResource == nullptr || ui::CDialog::OnCreate(cs) == -1) {
    return -1;
  }
  CreateSkinFont();
  if (SelectBackground()) {
    CutWindowRegion();
  }
  m_dragRect = RECT{0, 0, m_width, m_height};
  RemoveFrame();
  MoveWindow(0, 0, m_width, m_height, TRUE);
  CenterWindow();
  return 0;
}

// The region and the painting take the window's rectangle as its client area: a
// caption or border that the template asks for (a CAPTION line in a resource script
// adds WS_CAPTION) is taken away.
void cSkinDialog::RemoveFrame() {
  const DWORD frame = WS_CAPTION | WS_THICKFRAME | WS_BORDER | WS_DLGFRAME;
  const DWORD exFrame = WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE | WS_EX_STATICEDGE;
  if ((GetStyle() & frame) == 0 && (GetExStyle() & exFrame) == 0) {
    return;
  }
  ::SetWindowLongPtrA(m_hWnd, GWL_STYLE, (LONG_PTR)(GetStyle() & ~frame));
  ::SetWindowLongPtrA(m_hWnd, GWL_EXSTYLE, (LONG_PTR)(GetExStyle() & ~exFrame));
  SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void cSkinDialog::CreateSkinFont() {
  m_font.DeleteObject();
  if (m_font.CreateFontIndirect(&m_pResource->GetFont())) {
    SetFont(m_font, TRUE);
  }
}

// Selects the background bitmap into a memory DC compatible with the window's;
// false when there is no bitmap or it cannot be selected.
bool cSkinDialog::SelectBackground() {
  HBITMAP background = m_pResource->GetBitmap().GetSafeHandle();
  ui::CDC windowDC;
  windowDC.GetDC(m_hWnd);
  if (background == nullptr || !m_backgroundDC.CreateCompatibleDC(windowDC)) {
    return false;
  }
  m_hPreviousBitmap = m_backgroundDC.SelectObject(background);
  return m_hPreviousBitmap != nullptr;
}

// Gives the window the background's shape; the window owns the region afterwards.
void cSkinDialog::CutWindowRegion() {
  ui::CRgn region;
  region.Attach(CreateRgnFromColorKey(m_backgroundDC, m_width, m_height, SkinKeyColor));
  if (region.GetSafeHandle() != nullptr && SetWindowRgn(region, TRUE)) {
    region.Detach();
  }
}

void cSkinDialog::OnDestroy() {
  if (m_hPreviousBitmap != nullptr) {
    m_backgroundDC.SelectObject(m_hPreviousBitmap);
    m_hPreviousBitmap = nullptr;
  }
  m_backgroundDC.Release();
  m_font.DeleteObject();
  ui::CDialog::OnDestroy();
}

void cSkinDialog::OnPaint() {
  ui::CDC dc;
  if (dc.BeginPaint(m_hWnd)) {
    DrawBackground(dc);
  }
  dc.Release();
  Default();
}

// The background within dc's clip box, key-coloured pixels left out.
void cSkinDialog::DrawBackground(HDC dc) {
  if (m_hPreviousBitmap == nullptr) {
    return;
  }
  RECT area = {0, 0, m_width, m_height};
  RECT clip;
  if (::GetClipBox(dc, &clip) != ERROR && !::IntersectRect(&area, &area, &clip)) {
    return;
  }
  int width = area.right - area.left;
  int height = area.bottom - area.top;
  DrawTransparent(dc, area.left, area.top, width, height, m_backgroundDC, area.left, area.top, width, height,
                  SkinKeyColor);
}

// WM_PRINTCLIENT draws the background into the given DC: the skinned controls ask
// for it to fill what lies beneath their transparent pixels, since a window with
// WS_CLIPCHILDREN never paints under its children.
LRESULT cSkinDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PRINTCLIENT) {
    DrawBackground(reinterpret_cast<HDC>(wParam));
    return 0;
  }
  return ui::CDialog::WindowProc(message, wParam, lParam);
}

BOOL cSkinDialog::OnEraseBkgnd(HDC) { return TRUE; }

// The system's move loop runs inside the WM_NCLBUTTONDOWN and returns when the
// button is released. The point travels in screen coordinates, as the message
// defines it.
void cSkinDialog::OnLButtonDown(UINT, POINT point) {
  if (::PtInRect(&m_dragRect, point)) {
    POINT screen = point;
    ClientToScreen(&screen);
    SendMessage(WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(screen.x, screen.y));
  }
  Default();
}

BOOL cSkinDialog::PreTranslateMessage(MSG* msg) {
  if (msg->message == WM_KEYDOWN) {
    if (msg->wParam == VK_RETURN) {
      OnOK();
    } else if (msg->wParam == VK_ESCAPE) {
      OnCancel();
    }
  }
  return ui::CDialog::PreTranslateMessage(msg);
}
