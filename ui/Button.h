// CButton: a system button; an owner-drawn one draws itself in DrawItem, reflected
// from its parent.
#pragma once

#include "ui/Wnd.h"

namespace ui {

class CButton : public CWnd {
public:
  BOOL Create(const char* text, DWORD style, const RECT& rect, HWND parent, UINT id);
  // Draws an owner-drawn button; the default draws nothing.
  virtual void DrawItem(DRAWITEMSTRUCT* item);

protected:
  bool OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
};

}  // namespace ui
