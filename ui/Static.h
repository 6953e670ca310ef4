// CStatic: a system static control.
#pragma once

#include "ui/Wnd.h"

namespace ui {

class CStatic : public CWnd {
public:
  BOOL Create(const char* text, DWORD style, const RECT& rect, HWND parent, UINT id);
};

}  // namespace ui
