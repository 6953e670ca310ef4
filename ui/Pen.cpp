#include "ui/Pen.h"

namespace ui {

BOOL CPen::CreatePen(int style, int width, COLORREF color) { return Own(::CreatePen(style, width, color)); }

}  // namespace ui
