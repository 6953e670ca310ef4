// The drawing tools of the skinned scroll bar and its frame: every part is cut from
// one image of 9 x 3 square tiles (side a). Windows only.
#pragma once

#include <windows.h>

// The source rectangle of the tile at column, row for tiles of side a.
RECT ScrollTileRect(int a, int column, int row);

// Covers destination with plain copies of the source tile, left to right and top
// to bottom, the last row and column cut to fit.
void TileFill(HDC destination, const RECT& area, HDC source, const RECT& tile);

// The thumb: the tile's first 3 pixels along the bar go to the start of area, its
// last 3 to the end, and its middle is tiled over the rest. Nothing for an empty
// area.
void DrawScrollThumb(HDC destination, const RECT& area, HDC source, const RECT& tile, bool vertical);

// One plain copy of the whole tile to area's top-left corner.
void DrawScrollTile(HDC destination, const RECT& area, HDC source, const RECT& tile);
