#include "skin/SkinComboBox.h"

#include "skin/SkinComboGeometry.h"
#include "skin/SkinScrollWnd.h"
#include "ui/Brush.h"
#include "ui/Dc.h"
#include "ui/SelectGuard.h"

#include <vector>

cSkinComboBox::cSkinComboBox()
    : m_pResource(nullptr), m_list(nullptr), m_scrollBitmap(nullptr), m_rect(), m_left(), m_center(), m_right() {}

cSkinComboBox::~cSkinComboBox() = default;

BOOL cSkinComboBox::Create(const cSkinComboBoxResource* pResource, ui::CWnd* pParent, UINT id) {
  if (pResource == nullptr || pParent == nullptr || pParent->GetSafeHwnd() == nullptr || GetSafeHwnd() != nullptr)
    return FALSE;
  m_pResource = pResource;
  m_scrollBitmap = pResource->GetScrollBitmap().GetSafeHandle();
  m_rect = pResource->GetRect();
  m_left = pResource->GetLeft();
  m_center = pResource->GetCenter();
  m_right = pResource->GetRight();
  return ui::CComboBox::Create(kStyle, m_rect, pParent->GetSafeHwnd(), id);
}

void cSkinComboBox::InitDropDown() {
  ShowDropDown(TRUE);
  ShowDropDown(FALSE);
}

std::string cSkinComboBox::GetItemText(int index) const {
  int length = GetLBTextLen(index);
  if (length <= 0) return std::string();
  std::vector<char> buffer((size_t)length + 1, '\0');
  GetLBText(index, buffer.data());
  return std::string(buffer.data());
}

// White text with a transparent background in the box's own font.
void cSkinComboBox::DrawText(HDC dc, RECT rect, const std::string& text) const {
  // Without a font set (WM_SETFONT) the DC's own font stays.
  HFONT font = GetFont();
  ui::CSelectGuard selectFont(dc, font);
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, kComboTextColor);
  ::DrawTextA(dc, text.c_str(), (int)text.size(), &rect, kTextFormat);
}

// The left and right slices copied at the ends, the centre stretched between them.
void cSkinComboBox::DrawSlices(HDC dc, const RECT& client) const {
  HBITMAP face = m_pResource != nullptr ? m_pResource->GetBitmap().GetSafeHandle() : nullptr;
  if (face == nullptr) return;
  ui::CDC source;
  if (!source.CreateCompatibleDC(dc)) return;
  ui::CSelectGuard select(source, face);
  if (!select.IsSelected()) return;
  ::BitBlt(dc, client.left, client.top, m_left.width, m_left.height, source, m_left.x, m_left.y, SRCCOPY);
  ::BitBlt(dc, client.right - m_right.width, client.top, m_right.width, m_right.height, source, m_right.x, m_right.y,
           SRCCOPY);
  tComboCenter center = ComboCenterSlice(client, m_left.width, m_right.width);
  ::StretchBlt(dc, center.x, client.top, center.width, m_center.height, source, m_center.x, m_center.y,
               m_center.width, m_center.height, SRCCOPY);
}

void cSkinComboBox::DrawFace(HDC dc, const RECT& client) const {
  DrawSlices(dc, client);
  int selected = GetCurSel();
  if (selected < 0) return;
  RECT text = client;
  text.left += kComboTextIndent;
  DrawText(dc, text, GetItemText(selected));
}

void cSkinComboBox::OnPaint() {
  ui::CDC dc;
  if (!dc.BeginPaint(m_hWnd)) return;
  RECT client;
  GetClientRect(&client);
  DrawFace(dc, client);
}

void cSkinComboBox::DrawItem(DRAWITEMSTRUCT* item) {
  if (item == nullptr || item->itemID == (UINT)-1) return;
  bool selected = (item->itemState & ODS_SELECTED) != 0;
  bool edit = (item->itemState & ODS_COMBOBOXEDIT) != 0;
  ui::CBrush background;
  if (background.CreateSolidBrush(ComboItemBackground(selected, edit)))
    ::FillRect(item->hDC, &item->rcItem, background);
  DrawText(item->hDC, item->rcItem, GetItemText((int)item->itemID));
}

void cSkinComboBox::MeasureItem(MEASUREITEMSTRUCT*) {}

// The list asks for its colours first when it is about to show: it is wrapped once,
// hidden, so that the frame (not the list) is what appears under the box.
HBRUSH cSkinComboBox::OnCtlColor(HDC dc, HWND control, UINT ctlType) {
  HBRUSH brush = ui::CComboBox::OnCtlColor(dc, control, ctlType);
  if (ctlType == CTLCOLOR_LISTBOX && m_list == nullptr && m_scrollBitmap != nullptr && control != nullptr) {
    ::ShowWindow(control, SW_HIDE);
    if (WrapWithSkinScroll(control, m_scrollBitmap) != nullptr) m_list = control;
  }
  return brush;
}

bool cSkinComboBox::OnControlReflect(UINT notifyCode) {
  switch (notifyCode) {
    case CBN_DROPDOWN:
      ShowListFrame();
      return true;
    case CBN_CLOSEUP:
      HideListFrame();
      return true;
    default:
      return false;
  }
}

// The frame is the parent of the list's parent (the viewport).
HWND cSkinComboBox::GetListFrame() const {
  if (m_list == nullptr) return nullptr;
  cSkinScrollWnd* frame = cSkinScrollWnd::FromTarget(m_list);
  return frame != nullptr ? frame->GetSafeHwnd() : nullptr;
}

// Under the box, as wide as the dropped rectangle, as high as the items with the
// frame's border or the dropped rectangle less 2, whichever is less. The items'
// height is the list's own (item 0), which need not be the selection field's.
void cSkinComboBox::ShowListFrame() {
  HWND frame = GetListFrame();
  if (frame == nullptr) return;
  RECT box;
  GetWindowRect(&box);
  RECT dropped;
  GetDroppedControlRect(&dropped);
  RECT outer, inner;
  ::GetWindowRect(frame, &outer);
  ::GetClientRect(frame, &inner);
  int edges = (outer.bottom - outer.top) - inner.bottom;
  int itemHeight = GetItemHeight(GetCount() > 0 ? 0 : -1);
  int height = ComboFrameHeight(GetCount(), itemHeight, edges, dropped.bottom - dropped.top);
  ::SetWindowPos(frame, HWND_TOPMOST, box.left, box.bottom, dropped.right - dropped.left, height,
                 SWP_SHOWWINDOW | SWP_NOACTIVATE);
}

void cSkinComboBox::HideListFrame() {
  HWND frame = GetListFrame();
  if (frame != nullptr) ::ShowWindow(frame, SW_HIDE);
}
