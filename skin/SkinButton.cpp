#include "skin/SkinButton.h"

#include "skin/SkinBitmap.h"
#include "skin/SkinDraw.h"
#include "ui/Dc.h"
#include "ui/SelectGuard.h"

#include <algorithm>

namespace {

const DWORD kButtonStyle = WS_CHILD | WS_VISIBLE | BS_OWNERDRAW;

enum { FACE_NORMAL = 0, FACE_HOVERED = 1, FACE_CHECKED = 1, FACE_PRESSED = 2 };

}  // namespace

cSkinButton::cSkinButton()
    : m_pResource(nullptr), m_rect{0, 0, 0, 0}, m_width(0), m_height(0), m_style(0), m_bChecked(false) {}

cSkinButton::~cSkinButton() = default;

BOOL cSkinButton::Create(const cSkinButtonResource* pResource, ui::CWnd* pParent, UINT id) {
  if (pResource == nullptr || pParent == nullptr || pParent->GetSafeHwnd() == nullptr || GetSafeHwnd() != nullptr) {
    return FALSE;
  }
  m_pResource = pResource;
  m_rect = pResource->GetRect();
  m_width = pResource->GetWidth();
  m_height = pResource->GetHeight();
  m_style = pResource->GetStyle();
  return ui::CButton::Create("", kButtonStyle, m_rect, pParent->GetSafeHwnd(), id);
}

// The face's x in the strip; face 0 when the chosen face does not lie inside the
// strip, so a short strip never draws from outside its bitmap.
int cSkinButton::ChooseFaceX(UINT itemState, bool hasCapture, int stripWidth) const {
  int face = FACE_NORMAL;
  if (IsToggle()) {
    face = m_bChecked ? FACE_CHECKED : FACE_NORMAL;
  } else if (itemState & ODS_SELECTED) {
    face = FACE_PRESSED;
  } else if (itemState & ODS_DISABLED) {
    face = FACE_NORMAL;
  } else if (hasCapture) {
    face = FACE_HOVERED;
  }
  int x = face * m_width;
  return x + m_width <= stripWidth ? x : 0;
}

void cSkinButton::DrawItem(DRAWITEMSTRUCT* item) {
  if (m_pResource == nullptr) {
    return;
  }
  const cSkinBitmap& strip = m_pResource->GetBitmap();
  if (strip.GetSafeHandle() == nullptr) {
    return;
  }
  int width = std::min(m_width, strip.GetWidth());
  int height = std::min(m_height, strip.GetHeight());
  int faceX = ChooseFaceX(item->itemState, ::GetCapture() == m_hWnd, strip.GetWidth());
  ui::CDC memory;
  if (!memory.CreateCompatibleDC(item->hDC)) {
    return;
  }
  ui::CSelectGuard select(memory, strip.GetSafeHandle());
  if (select.IsSelected()) {
    DrawParentBackground(item->hDC);
    DrawTransparent(item->hDC, 0, 0, width, height, memory, faceX, 0, width, height, SkinKeyColor);
  }
}

// Asks the parent to draw its client area into dc, shifted so that the part beneath
// the button lands on it (WM_PRINTCLIENT, which the skinned dialog answers). A
// parent with WS_CLIPCHILDREN never paints there itself.
void cSkinButton::DrawParentBackground(HDC dc) {
  HWND parent = GetParent();
  POINT origin = {0, 0};
  ::MapWindowPoints(m_hWnd, parent, &origin, 1);
  POINT previous;
  if (parent == nullptr || !::OffsetViewportOrgEx(dc, -origin.x, -origin.y, &previous)) {
    return;
  }
  ::SendMessageA(parent, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  ::SetViewportOrgEx(dc, previous.x, previous.y, nullptr);
}

BOOL cSkinButton::OnEraseBkgnd(HDC) { return TRUE; }

// Holds the capture while the pointer is over the button; lets go when it leaves.
void cSkinButton::OnMouseMove(UINT, POINT point) {
  if (::GetCapture() == m_hWnd) {
    RECT client;
    GetClientRect(&client);
    if (!::PtInRect(&client, point)) {
      ::ReleaseCapture();
      Invalidate(FALSE);
    }
  } else {
    SetCapture();
    Invalidate(FALSE);
  }
  Default();
}

// The click, from the mouse or the keyboard, inverts a toggle button before the
// parent's own handling sees it.
bool cSkinButton::OnControlReflect(UINT notifyCode) {
  if (notifyCode == BN_CLICKED && IsToggle()) {
    m_bChecked = !m_bChecked;
    Invalidate(FALSE);
  }
  return false;
}

// A capture lost to another window shows the normal face again.
LRESULT cSkinButton::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CAPTURECHANGED && reinterpret_cast<HWND>(lParam) != m_hWnd) {
    Invalidate(FALSE);
  }
  return ui::CButton::WindowProc(message, wParam, lParam);
}
