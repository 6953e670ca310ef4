// CPen: owns a pen.
#pragma once

#include "ui/GdiObject.h"

namespace ui {

class CPen : public CGdiObject<HPEN> {
public:
  BOOL CreatePen(int style, int width, COLORREF color);
};

}  // namespace ui
