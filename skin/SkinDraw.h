// The drawing tools that the skinned windows share: the transparent blit with the
// skin's key colour and the window region cut out of a bitmap by the key colour.
// Windows only.
#pragma once

#include <windows.h>

// Copies the source rectangle to the destination rectangle (stretching when the
// sizes differ), leaving the destination unchanged where the source pixel has
// exactly the key colour. False when the system refuses the blit.
BOOL DrawTransparent(HDC destination, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                     int sourceWidth, int sourceHeight, COLORREF key);

// A new region, owned by the caller: the rectangle (0, 0, width, height) without
// every pixel of the bitmap selected into dc whose colour is exactly key, cut one
// row at a time. Pixels that cannot be read count as opaque. Null when the system
// cannot make a region.
HRGN CreateRgnFromColorKey(HDC dc, int width, int height, COLORREF key);
