// CRgn: owns a region. SetWindowRgn takes a region over: hand it Detach().
#pragma once

#include "ui/GdiObject.h"

namespace ui {

class CRgn : public CGdiObject<HRGN> {
public:
  BOOL CreateRectRgn(int left, int top, int right, int bottom);
  // Sets this region to a combination of two others (RGN_OR, RGN_DIFF, ...);
  // returns the region type, or ERROR.
  int CombineRgn(HRGN first, HRGN second, int mode);
};

}  // namespace ui
