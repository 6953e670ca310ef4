#include "ui/ScrollBar.h"

namespace ui {

BOOL CScrollBar::Create(DWORD style, const RECT& rect, HWND parent, UINT id) {
  return CWnd::Create("SCROLLBAR", nullptr, style, rect, parent, id);
}

BOOL CScrollBar::SetScrollInfo(SCROLLINFO* info, BOOL redraw) {
  info->cbSize = sizeof(SCROLLINFO);
  SendMessage(SBM_SETSCROLLINFO, redraw, reinterpret_cast<LPARAM>(info));
  return TRUE;
}

BOOL CScrollBar::GetScrollInfo(SCROLLINFO* info, UINT mask) const {
  info->cbSize = sizeof(SCROLLINFO);
  info->fMask = mask;
  return static_cast<BOOL>(SendMessage(SBM_GETSCROLLINFO, 0, reinterpret_cast<LPARAM>(info)));
}

}  // namespace ui
