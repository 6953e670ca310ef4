#include "skin/SkinScrollDraw.h"

namespace {

// The thumb's ends, in pixels along the bar, copied unstretched.
const int kThumbEnd = 3;

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

void CopyPart(HDC destination, int x, int y, int width, int height, HDC source, int sourceX, int sourceY) {
  if (width > 0 && height > 0) ::BitBlt(destination, x, y, width, height, source, sourceX, sourceY, SRCCOPY);
}

}  // namespace

RECT ScrollTileRect(int a, int column, int row) { return RECT{column * a, row * a, (column + 1) * a, (row + 1) * a}; }

void TileFill(HDC destination, const RECT& area, HDC source, const RECT& tile) {
  int tileWidth = Width(tile);
  int tileHeight = Height(tile);
  if (tileWidth <= 0 || tileHeight <= 0) return;
  for (int y = area.top; y < area.bottom; y += tileHeight) {
    int height = area.bottom - y < tileHeight ? area.bottom - y : tileHeight;
    for (int x = area.left; x < area.right; x += tileWidth) {
      int width = area.right - x < tileWidth ? area.right - x : tileWidth;
      CopyPart(destination, x, y, width, height, source, tile.left, tile.top);
    }
  }
}

void DrawScrollThumb(HDC destination, const RECT& area, HDC source, const RECT& tile, bool vertical) {
  if (Width(area) <= 0 || Height(area) <= 0) return;
  RECT middle = tile;
  RECT rest = area;
  if (vertical) {
    CopyPart(destination, area.left, area.top, Width(area), kThumbEnd, source, tile.left, tile.top);
    CopyPart(destination, area.left, area.bottom - kThumbEnd, Width(area), kThumbEnd, source, tile.left,
             tile.bottom - kThumbEnd);
    middle.top += kThumbEnd;
    middle.bottom -= kThumbEnd;
    rest.top += kThumbEnd;
    rest.bottom -= kThumbEnd;
  } else {
    CopyPart(destination, area.left, area.top, kThumbEnd, Height(area), source, tile.left, tile.top);
    CopyPart(destination, area.right - kThumbEnd, area.top, kThumbEnd, Height(area), source, tile.right - kThumbEnd,
             tile.top);
    middle.left += kThumbEnd;
    middle.right -= kThumbEnd;
    rest.left += kThumbEnd;
    rest.right -= kThumbEnd;
  }
  TileFill(destination, rest, source, middle);
}

void DrawScrollTile(HDC destination, const RECT& area, HDC source, const RECT& tile) {
  CopyPart(destination, area.left, area.top, Width(tile), Height(tile), source, tile.left, tile.top);
}
