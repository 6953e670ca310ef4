// CFont: owns a logical font.
#pragma once

#include "ui/GdiObject.h"

namespace ui {

class CFont : public CGdiObject<HFONT> {
public:
  BOOL CreateFontIndirect(const LOGFONTA* font);
};

}  // namespace ui
