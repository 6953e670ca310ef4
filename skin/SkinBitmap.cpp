#include "skin/SkinBitmap.h"

#include "skin/TgaImage.h"

#include <cstring>
#include <new>
#include <utility>

namespace {

const int kGreyTableSize = 256;
// Largest DIB accepted: the decoder's limit plus the row padding.
const uint64_t kMaxDibBytes = 2 * cTgaImage::MAX_IMAGE_BYTES;

bool IsAcceptedBitCount(int bitCount) { return bitCount == 8 || bitCount == 24 || bitCount == 32; }

}  // namespace

#ifdef _WIN32
cSkinBitmap::cSkinBitmap()
    : m_width(0), m_height(0), m_bitCount(0), m_rowLength(0), m_pBits(nullptr), m_hBitmap(nullptr) {}
#else
cSkinBitmap::cSkinBitmap() : m_width(0), m_height(0), m_bitCount(0), m_rowLength(0), m_pBits(nullptr) {}
#endif

cSkinBitmap::~cSkinBitmap() { Release(); }

bool cSkinBitmap::Create(int width, int height, int bitCount) {
  Release();
  if (width <= 0 || height <= 0 || !IsAcceptedBitCount(bitCount)) {
    return false;
  }
  uint64_t rowLength = (((uint64_t)bitCount * (uint64_t)width + 31) / 32) * 4;
  if (rowLength * (uint64_t)height > kMaxDibBytes) {
    return false;
  }
  m_width = width;
  m_height = height;
  m_bitCount = bitCount;
  m_rowLength = (int)rowLength;
  if (bitCount == 8) {
    m_colorTable.resize(kGreyTableSize);
    for (int i = 0; i < kGreyTableSize; ++i) {
      m_colorTable[i] = ((uint32_t)i << 16) | ((uint32_t)i << 8) | (uint32_t)i;
    }
  }
  if (!AllocateStorage()) {
    Release();
    return false;
  }
  return true;
}

bool cSkinBitmap::CreateFromImage(const cTgaImage& image) {
  const uint8_t* pixels = image.GetPixels();
  if (pixels == nullptr || !Create((int)image.GetWidth(), (int)image.GetHeight(), (int)image.GetBytesPerPixel() * 8)) {
    Release();
    return false;
  }
  uint32_t size = image.GetSize();
  uint32_t imageRowLength = size / (uint32_t)m_height;
  if ((uint64_t)m_rowLength * (uint64_t)m_height == size) {
    memcpy(m_pBits, pixels, size);
  } else {
    for (int row = 0; row < m_height; ++row) {
      memcpy(GetRow(row), pixels + (size_t)row * imageRowLength, imageRowLength);
    }
  }
  // The image holds R, G, B (A); a DIB holds B, G, R (A), the order of the file.
  int bytesPerPixel = m_bitCount / 8;
  if (bytesPerPixel >= 3) {
    for (int row = 0; row < m_height; ++row) {
      uint8_t* p = GetRow(row);
      for (int x = 0; x < m_width; ++x, p += bytesPerPixel) {
        std::swap(p[0], p[2]);
      }
    }
  }
  return true;
}

void cSkinBitmap::Release() {
  ReleaseStorage();
  m_width = 0;
  m_height = 0;
  m_bitCount = 0;
  m_rowLength = 0;
  m_colorTable.clear();
}

void cSkinBitmap::Swap(cSkinBitmap& other) {
  std::swap(m_width, other.m_width);
  std::swap(m_height, other.m_height);
  std::swap(m_bitCount, other.m_bitCount);
  std::swap(m_rowLength, other.m_rowLength);
  std::swap(m_pBits, other.m_pBits);
  std::swap(m_colorTable, other.m_colorTable);
#ifdef _WIN32
  std::swap(m_hBitmap, other.m_hBitmap);
#else
  std::swap(m_storage, other.m_storage);
#endif
}

uint8_t* cSkinBitmap::GetRow(int row) {
  if (m_pBits == nullptr || row < 0 || row >= m_height) {
    return nullptr;
  }
  return m_pBits + (size_t)row * (size_t)m_rowLength;
}

const uint8_t* cSkinBitmap::GetRow(int row) const { return const_cast<cSkinBitmap*>(this)->GetRow(row); }

COLORREF cSkinBitmap::GetPixel(int x, int y) const {
  if (x < 0 || x >= m_width) {
    return SKIN_NO_PIXEL;
  }
  const uint8_t* row = GetRow(m_height - 1 - y);
  if (row == nullptr) {
    return SKIN_NO_PIXEL;
  }
  if (m_bitCount == 8) {
    uint32_t entry = m_colorTable[row[x]];
    return RGB((entry >> 16) & 0xFF, (entry >> 8) & 0xFF, entry & 0xFF);
  }
  const uint8_t* p = row + (size_t)x * (size_t)(m_bitCount / 8);
  return RGB(p[2], p[1], p[0]);
}

#ifdef _WIN32

namespace {

// A BITMAPINFO with room for a 256-entry colour table.
struct tDibInfo {
  BITMAPINFOHEADER header;
  RGBQUAD colors[kGreyTableSize];
};

// Deletes a memory device context when the scope ends.
class cMemoryDc {
public:
  cMemoryDc() : m_hDC(::CreateCompatibleDC(nullptr)) {}
  ~cMemoryDc() {
    if (m_hDC != nullptr) {
      ::DeleteDC(m_hDC);
    }
  }
  cMemoryDc(const cMemoryDc&) = delete;
  cMemoryDc& operator=(const cMemoryDc&) = delete;
  HDC Get() const { return m_hDC; }

private:
  HDC m_hDC;
};

}  // namespace

// The Windows inside: a bottom-up DIB section of the bitmap's size and depth on a
// memory DC compatible with the screen, with the grey table for 8 bits, its bits
// set to zero.
bool cSkinBitmap::AllocateStorage() {
  tDibInfo info = {};
  info.header.biSize = sizeof(BITMAPINFOHEADER);
  info.header.biWidth = m_width;
  info.header.biHeight = m_height;
  info.header.biPlanes = 1;
  info.header.biBitCount = (WORD)m_bitCount;
  info.header.biCompression = BI_RGB;
  info.header.biSizeImage = (DWORD)m_rowLength * (DWORD)m_height;
  info.header.biClrUsed = (DWORD)m_colorTable.size();
  for (size_t i = 0; i < m_colorTable.size(); ++i) {
    uint32_t entry = m_colorTable[i];
    info.colors[i].rgbRed = (BYTE)(entry >> 16);
    info.colors[i].rgbGreen = (BYTE)(entry >> 8);
    info.colors[i].rgbBlue = (BYTE)entry;
  }
  cMemoryDc dc;
  void* bits = nullptr;
  HBITMAP section =
      ::CreateDIBSection(dc.Get(), reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0);
  if (section == nullptr) {
    return false;
  }
  if (bits == nullptr) {
    ::DeleteObject(section);
    return false;
  }
  m_hBitmap = section;
  m_pBits = static_cast<uint8_t*>(bits);
  memset(m_pBits, 0, (size_t)m_rowLength * (size_t)m_height);
  return true;
}

void cSkinBitmap::ReleaseStorage() {
  m_pBits = nullptr;
  if (m_hBitmap != nullptr) {
    ::DeleteObject(m_hBitmap);
    m_hBitmap = nullptr;
  }
}

#else

// The native inside: zero-filled DIB bytes of GetRowLength() x GetHeight().
bool cSkinBitmap::AllocateStorage() {
  size_t bytes = (size_t)m_rowLength * (size_t)m_height;
  m_storage.reset(new (std::nothrow) uint8_t[bytes]);
  if (!m_storage) {
    return false;
  }
  memset(m_storage.get(), 0, bytes);
  m_pBits = m_storage.get();
  return true;
}

void cSkinBitmap::ReleaseStorage() {
  m_pBits = nullptr;
  m_storage.reset();
}

#endif
