#include "ui/Bitmap.h"

namespace ui {

BOOL CBitmap::CreateCompatibleBitmap(HDC dc, int width, int height) {
  return Own(::CreateCompatibleBitmap(dc, width, height));
}

BOOL CBitmap::GetBitmap(BITMAP* info) const {
  return GetSafeHandle() && ::GetObjectA(GetSafeHandle(), sizeof(BITMAP), info) == sizeof(BITMAP);
}

}  // namespace ui
