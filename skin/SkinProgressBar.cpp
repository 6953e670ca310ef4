#include "skin/SkinProgressBar.h"

#include "skin/SkinBitmap.h"
#include "ui/Brush.h"
#include "ui/Dc.h"
#include "ui/Pen.h"
#include "ui/SelectGuard.h"

namespace {

const DWORD kBarStyle = WS_CHILD | WS_VISIBLE | SS_SIMPLE;

float LimitedFraction(float pos) {
  if (!(pos > 0.0f)) {
    return 0.0f;  // also a value that is not a number
  }
  return pos < 1.0f ? pos : 1.0f;
}

}  // namespace

cSkinProgressBar::cSkinProgressBar()
    : m_pResource(nullptr), m_width(0), m_height(0), m_color(0x00FFFFFF), m_backColor(0x00404040), m_pos(0.0f) {}

cSkinProgressBar::~cSkinProgressBar() = default;

BOOL cSkinProgressBar::Create(const cSkinProgressBarResource* pResource, ui::CWnd* pParent, UINT id) {
  if (pResource == nullptr || pParent == nullptr || pParent->GetSafeHwnd() == nullptr || GetSafeHwnd() != nullptr) {
    return FALSE;
  }
  m_pResource = pResource;
  m_width = pResource->GetWidth();
  m_height = pResource->GetHeight();
  m_color = pResource->GetColor();
  m_backColor = pResource->GetBackColor();
  return ui::CStatic::Create("", kBarStyle, pResource->GetRect(), pParent->GetSafeHwnd(), id);
}

// Truncated toward zero, in floating point, from the resource's width (not the
// client's).
int cSkinProgressBar::GetSplitX(const RECT& client) const {
  return (int)((float)client.left + (float)m_width * LimitedFraction(GetPos()));
}

// Fills part with fill, outlined by a one-pixel pen of outline.
void cSkinProgressBar::FillPart(HDC dc, const RECT& part, HBRUSH fill, COLORREF outline) const {
  ui::CPen pen;
  if (fill == nullptr || !pen.CreatePen(PS_SOLID, 0, outline)) {
    return;
  }
  ui::CSelectGuard selectPen(dc, pen);
  ui::CSelectGuard selectBrush(dc, fill);
  ::Rectangle(dc, part.left, part.top, part.right, part.bottom);
}

void cSkinProgressBar::Draw(HDC dc, const RECT& client) const {
  int split = GetSplitX(client);
  if (split > client.left) {
    ui::CBrush done;
    HBITMAP pattern = m_pResource != nullptr ? m_pResource->GetBitmap().GetSafeHandle() : nullptr;
    if (pattern != nullptr) {
      done.CreatePatternBrush(pattern);
    } else {
      done.CreateSolidBrush(m_color);
    }
    FillPart(dc, RECT{client.left, client.top, split, client.bottom}, done, m_color);
  }
  if (split < client.right) {
    ui::CBrush rest;
    rest.CreateSolidBrush(m_backColor);
    FillPart(dc, RECT{split, client.top, client.right, client.bottom}, rest, m_backColor);
  }
}

void cSkinProgressBar::OnPaint() {
  ui::CDC dc;
  if (!dc.BeginPaint(m_hWnd)) {
    return;
  }
  RECT client;
  GetClientRect(&client);
  Draw(dc, client);
}
