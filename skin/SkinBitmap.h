// A skin picture as a device-independent bitmap (DIB): width, height, bit depth
// (8, 24 or 32) and rows of pixels in B, G, R (A) order, each row padded to a
// multiple of 4 bytes, the first row being the bottom row of the picture. 8-bit
// pictures carry a 256-entry grey colour table.
//
// The class has one interface and two insides: natively it owns the DIB bytes in
// memory; on Windows it owns a DIB section and the rows are the section's bits
// (AllocateStorage, ReleaseStorage and Swap are the only functions that know
// which), so the decoder and the skin loader are tested natively and the drawing
// code draws from the section.
#pragma once

#include "common/WinTypes.h"

#include <cstdint>
#include <memory>
#include <vector>

class cTgaImage;

// The transparent colour of every skin image: pure red (R 255, G 0, B 0).
const COLORREF SkinKeyColor = 0x000000FF;
// What GetPixel returns outside the picture or for an empty bitmap.
const COLORREF SKIN_NO_PIXEL = 0xFFFFFFFF;

class cSkinBitmap {
public:
  cSkinBitmap();
  ~cSkinBitmap();
  cSkinBitmap(const cSkinBitmap&) = delete;
  cSkinBitmap& operator=(const cSkinBitmap&) = delete;

  // Replaces the content with a DIB of width x height at bitCount bits (8, 24 or
  // 32), all bytes 0, with the grey colour table for 8 bits. False when the sizes
  // are not accepted or the storage cannot be made; the bitmap is then empty.
  bool Create(int width, int height, int bitCount);
  // Builds the DIB of a decoded image: the image's rows become the DIB rows in file
  // order, pixels turned back to B, G, R (A). Copied in one piece when the rows need
  // no padding, else row by row. False (and empty) when the storage cannot be made.
  bool CreateFromImage(const cTgaImage& image);
  // Releases the storage; the bitmap is empty afterwards.
  void Release();
  // Exchanges the contents (and on Windows the owned sections) of two bitmaps.
  void Swap(cSkinBitmap& other);

  bool IsEmpty() const { return m_pBits == nullptr; }
  int GetWidth() const { return m_width; }
  int GetHeight() const { return m_height; }
  int GetBitCount() const { return m_bitCount; }
  // Bytes per DIB row: ((bitCount x width + 31) / 32) x 4.
  int GetRowLength() const { return m_rowLength; }
  // DIB row index (0 is the bottom row of the picture); null outside the bitmap.
  uint8_t* GetRow(int row);
  const uint8_t* GetRow(int row) const;
  // The colour table as 0x00RRGGBB values (256 for 8 bits, else none).
  const std::vector<uint32_t>& GetColorTable() const { return m_colorTable; }
  // The colour of the pixel at x, y in picture coordinates (y 0 is the top row) as
  // a COLORREF; SKIN_NO_PIXEL outside the picture or for an empty bitmap.
  COLORREF GetPixel(int x, int y) const;
#ifdef _WIN32
  // The DIB section, still owned by this bitmap; null when the bitmap is empty.
  HBITMAP GetSafeHandle() const { return m_hBitmap; }
#endif

private:
  bool AllocateStorage();
  void ReleaseStorage();

  int m_width;
  int m_height;
  int m_bitCount;
  int m_rowLength;
  uint8_t* m_pBits;
  std::vector<uint32_t> m_colorTable;
#ifdef _WIN32
  // The Windows inside: the DIB section whose bits m_pBits points at.
  HBITMAP m_hBitmap;
#else
  // The native inside: the DIB bytes themselves.
  std::unique_ptr<uint8_t[]> m_storage;
#endif
};
