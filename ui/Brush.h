// CBrush: owns a brush.
#pragma once

#include "ui/GdiObject.h"

namespace ui {

class CBrush : public CGdiObject<HBRUSH> {
public:
  BOOL CreateSolidBrush(COLORREF color);
  // The brush tiles the bitmap from the origin of the device context it paints in.
  BOOL CreatePatternBrush(HBITMAP bitmap);
};

}  // namespace ui
