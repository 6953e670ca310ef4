// CBitmap: owns a bitmap (a DDB or a DIB section).
#pragma once

#include "ui/GdiObject.h"

namespace ui {

class CBitmap : public CGdiObject<HBITMAP> {
public:
  BOOL CreateCompatibleBitmap(HDC dc, int width, int height);
  // Fills info with the bitmap's size and format; false without a bitmap.
  BOOL GetBitmap(BITMAP* info) const;
};

}  // namespace ui
