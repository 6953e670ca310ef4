// The paint of a minimised dialog: the icon's background erased by the window, then
// the icon in the middle of the client area. Call from OnPaint while IsIconic().
#pragma once

#include "ui/Wnd.h"

namespace ui {

void PaintMinimizedIcon(CWnd& window, HICON icon);

}  // namespace ui
