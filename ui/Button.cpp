#include "ui/Button.h"

namespace ui {

BOOL CButton::Create(const char* text, DWORD style, const RECT& rect, HWND parent, UINT id) {
  return CWnd::Create("BUTTON", text, style, rect, parent, id);
}

void CButton::DrawItem(DRAWITEMSTRUCT*) {}

bool CButton::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  if (message == WM_DRAWITEM) {
    DrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
    *result = TRUE;
    return true;
  }
  return CWnd::OnChildNotify(message, wParam, lParam, result);
}

}  // namespace ui
