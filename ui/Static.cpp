#include "ui/Static.h"

namespace ui {

BOOL CStatic::Create(const char* text, DWORD style, const RECT& rect, HWND parent, UINT id) {
  return CWnd::Create("STATIC", text, style, rect, parent, id);
}

}  // namespace ui
