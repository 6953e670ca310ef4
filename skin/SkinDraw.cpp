#include "skin/SkinDraw.h"

#include "ui/Rgn.h"

BOOL DrawTransparent(HDC destination, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                     int sourceWidth, int sourceHeight, COLORREF key) {
  return ::TransparentBlt(destination, x, y, width, height, source, sourceX, sourceY, sourceWidth, sourceHeight, key);
}

namespace {

// Removes the row span x0 .. x1 of row y from region; false when the system fails.
bool CutSpan(ui::CRgn& region, int x0, int x1, int y) {
  ui::CRgn span;
  if (!span.CreateRectRgn(x0, y, x1, y + 1)) {
    return false;
  }
  return region.CombineRgn(region, span, RGN_DIFF) != ERROR;
}

}  // namespace

HRGN CreateRgnFromColorKey(HDC dc, int width, int height, COLORREF key) {
  ui::CRgn region;
  if (!region.CreateRectRgn(0, 0, width, height)) {
    return nullptr;
  }
  for (int y = 0; y < height; ++y) {
    int runStart = -1;
    // x == width counts as opaque, so every run of key pixels ends within its row.
    for (int x = 0; x <= width; ++x) {
      bool isKey = x < width && ::GetPixel(dc, x, y) == key;
      if (isKey && runStart < 0) {
        runStart = x;
      } else if (!isKey && runStart >= 0) {
        if (!CutSpan(region, runStart, x, y)) {
          return nullptr;
        }
        runStart = -1;
      }
    }
  }
  return region.Detach();
}
