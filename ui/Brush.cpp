#include "ui/Brush.h"

namespace ui {

BOOL CBrush::CreateSolidBrush(COLORREF color) { return Own(::CreateSolidBrush(color)); }
BOOL CBrush::CreatePatternBrush(HBITMAP bitmap) { return Own(::CreatePatternBrush(bitmap)); }

}  // namespace ui
