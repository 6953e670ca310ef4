// CScrollBar: a scroll-bar control; its state goes through SBM_SETSCROLLINFO and
// SBM_GETSCROLLINFO, so a control that keeps its own state answers the same calls.
#pragma once

#include "ui/Wnd.h"

namespace ui {

class CScrollBar : public CWnd {
public:
  BOOL Create(DWORD style, const RECT& rect, HWND parent, UINT id);
  BOOL SetScrollInfo(SCROLLINFO* info, BOOL redraw = TRUE);
  // Fills info as mask asks (info->fMask is set to mask); false on failure.
  BOOL GetScrollInfo(SCROLLINFO* info, UINT mask = SIF_ALL) const;
};

}  // namespace ui
