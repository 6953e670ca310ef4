// Writes a skin bitmap as a standard Windows BMP file: the DIB exactly as the
// launcher holds it (rows bottom-up, each padded to 4 bytes, B, G, R (A) pixels,
// the grey colour table of an 8-bit picture).
#pragma once

#include <string>

class cSkinBitmap;

// False when the bitmap is empty or the file cannot be written; reason says why.
bool WriteBmpFile(const cSkinBitmap& bitmap, const char* path, std::string& reason);
