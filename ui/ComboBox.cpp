#include "ui/ComboBox.h"

namespace ui {

BOOL CComboBox::Create(DWORD style, const RECT& rect, HWND parent, UINT id) {
  return CWnd::Create("COMBOBOX", nullptr, style, rect, parent, id);
}

int CComboBox::AddString(const char* text) {
  return static_cast<int>(SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
}
int CComboBox::InsertString(int index, const char* text) {
  return static_cast<int>(SendMessage(CB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text)));
}
void CComboBox::ResetContent() { SendMessage(CB_RESETCONTENT); }
int CComboBox::GetCount() const { return static_cast<int>(SendMessage(CB_GETCOUNT)); }
int CComboBox::GetCurSel() const { return static_cast<int>(SendMessage(CB_GETCURSEL)); }
int CComboBox::SetCurSel(int index) { return static_cast<int>(SendMessage(CB_SETCURSEL, static_cast<WPARAM>(index))); }
int CComboBox::GetLBTextLen(int index) const {
  return static_cast<int>(SendMessage(CB_GETLBTEXTLEN, static_cast<WPARAM>(index)));
}
int CComboBox::GetLBText(int index, char* buffer) const {
  return static_cast<int>(SendMessage(CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer)));
}
int CComboBox::GetItemHeight(int index) const {
  return static_cast<int>(SendMessage(CB_GETITEMHEIGHT, static_cast<WPARAM>(index)));
}
void CComboBox::GetDroppedControlRect(RECT* rect) const {
  SendMessage(CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(rect));
}
BOOL CComboBox::ShowDropDown(BOOL show) { return static_cast<BOOL>(SendMessage(CB_SHOWDROPDOWN, show)); }

void CComboBox::DrawItem(DRAWITEMSTRUCT*) {}
void CComboBox::MeasureItem(MEASUREITEMSTRUCT*) {}

bool CComboBox::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  switch (message) {
    case WM_DRAWITEM:
      DrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
      *result = TRUE;
      return true;
    case WM_MEASUREITEM:
      MeasureItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
      *result = TRUE;
      return true;
    default:
      return CWnd::OnChildNotify(message, wParam, lParam, result);
  }
}

}  // namespace ui
