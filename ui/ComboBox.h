// CComboBox: a system combo box; an owner-drawn one measures and draws its items in
// MeasureItem and DrawItem, reflected from its parent.
#pragma once

#include "ui/Wnd.h"

namespace ui {

class CComboBox : public CWnd {
public:
  BOOL Create(DWORD style, const RECT& rect, HWND parent, UINT id);

  int AddString(const char* text);
  int InsertString(int index, const char* text);
  void ResetContent();
  int GetCount() const;
  int GetCurSel() const;
  int SetCurSel(int index);
  // Length of an item's text, CB_ERR for a bad index.
  int GetLBTextLen(int index) const;
  // Copies an item's text; the buffer must hold GetLBTextLen + 1 bytes.
  int GetLBText(int index, char* buffer) const;
  // Height of an item, or of the selection field for index -1.
  int GetItemHeight(int index) const;
  void GetDroppedControlRect(RECT* rect) const;
  BOOL ShowDropDown(BOOL show = TRUE);

  virtual void DrawItem(DRAWITEMSTRUCT* item);
  // Leaves the height that the system proposes unless overridden.
  virtual void MeasureItem(MEASUREITEMSTRUCT* item);

protected:
  bool OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
};

}  // namespace ui
