#include "skin/TgaImage.h"

#include "files/FileLoader.h"

#include <algorithm>
#include <cstring>

namespace {

// Header fields, as offsets from the start of the file (18 bytes, little-endian).
const uint32_t kIdLengthOfs = 0;
const uint32_t kImageTypeOfs = 2;
const uint32_t kWidthOfs = 12;
const uint32_t kHeightOfs = 14;
const uint32_t kPixelDepthOfs = 16;
const uint32_t kDescriptorOfs = 17;
const uint32_t kHeaderSize = 18;

// A packet header with this bit set starts a run: one value repeated.
const uint8_t kRunPacketFlag = 0x80;
// Every run-length packet takes at least 2 bytes of the file and yields at most
// 128 pixels; a header asking for more than this many pixels per remaining byte
// cannot be satisfied by the file.
const uint64_t kMaxPixelsPerRunLengthByte = 128;

uint32_t ReadLE16(const uint8_t* p) { return (uint32_t)p[0] | ((uint32_t)p[1] << 8); }

bool IsUncompressedType(uint8_t type) { return type == 1 || type == 2 || type == 3; }

bool IsRunLengthType(uint8_t type) { return type == 10 || type == 11; }

bool IsAcceptedDepth(uint8_t depth) { return depth == 8 || depth == 24 || depth == 32; }

// Copies up to count bytes from position on, as many as remain, and advances
// position. Returns the number of bytes copied.
uint32_t CopyFrom(const uint8_t* data, uint32_t size, uint32_t& position, uint8_t* out, uint32_t count) {
  uint32_t remaining = position < size ? size - position : 0;
  uint32_t n = std::min(count, remaining);
  if (n > 0) {
    memcpy(out, data + position, n);
    position += n;
  }
  return n;
}

}  // namespace

cTgaImage::cTgaImage() : m_width(0), m_height(0), m_bytesPerPixel(0), m_descriptor(0) {}

cTgaImage::~cTgaImage() = default;

void cTgaImage::Clear() {
  m_width = 0;
  m_height = 0;
  m_bytesPerPixel = 0;
  m_descriptor = 0;
  m_pixels.clear();
  m_pixels.shrink_to_fit();
  m_error.clear();
}

bool cTgaImage::Fail(const std::string& reason) {
  Clear();
  m_error = reason;
  return false;
}

bool cTgaImage::Load(const char* path) {
  Clear();
  cFileLoader loader;
  if (path == nullptr || !loader.Open(path, true)) {
    return Fail("cannot open the file");
  }
  return Read(reinterpret_cast<const uint8_t*>(loader.GetBuffer()), (uint32_t)loader.GetSize());
}

bool cTgaImage::Read(const uint8_t* data, uint32_t size) {
  Clear();
  if (data == nullptr) {
    size = 0;
  }
  uint32_t position = 0;
  uint8_t header[kHeaderSize];
  if (CopyFrom(data, size, position, header, kHeaderSize) != kHeaderSize) {
    return Fail("the file is shorter than the 18-byte TGA header (" + std::to_string(size) + " bytes)");
  }
  uint8_t type = header[kImageTypeOfs];
  if (!IsUncompressedType(type) && !IsRunLengthType(type)) {
    return Fail("image type " + std::to_string(type) + " is not supported (only 1, 2, 3, 10 and 11)");
  }
  uint8_t depth = header[kPixelDepthOfs];
  if (!IsAcceptedDepth(depth)) {
    return Fail("pixel depth " + std::to_string(depth) + " is not supported (only 8, 24 and 32)");
  }
  uint32_t idLength = header[kIdLengthOfs];
  if (size - position < idLength) {
    return Fail("the file ends inside its " + std::to_string(idLength) + "-byte ID field");
  }
  position += idLength;

  uint32_t width = ReadLE16(header + kWidthOfs);
  uint32_t height = ReadLE16(header + kHeightOfs);
  uint32_t bytesPerPixel = depth / 8u;
  std::string dimensions = std::to_string(width) + " x " + std::to_string(height);
  uint64_t bytes = (uint64_t)width * height * bytesPerPixel;
  if (bytes == 0) {
    return Fail("the image has no pixels (" + dimensions + ")");
  }
  if (bytes > MAX_IMAGE_BYTES) {
    return Fail("a " + dimensions + " image at " + std::to_string(depth) + " bits exceeds the 64 MiB limit");
  }
  if (IsRunLengthType(type) && (uint64_t)width * height > (uint64_t)(size - position) * kMaxPixelsPerRunLengthByte) {
    return Fail("the run-length data is far too short for a " + dimensions + " image");
  }

  m_width = width;
  m_height = height;
  m_bytesPerPixel = bytesPerPixel;
  m_descriptor = header[kDescriptorOfs];
  m_pixels.assign((size_t)bytes, 0);
  if (IsUncompressedType(type)) {
    return ReadUncompressed(data, size, position);
  }
  return ReadRunLength(data, size, position);
}

// Pixel data stored as is. Bytes that the file lacks stay 0 (black).
bool cTgaImage::ReadUncompressed(const uint8_t* data, uint32_t size, uint32_t& position) {
  uint32_t total = GetSize();
  if (CopyFrom(data, size, position, m_pixels.data(), total) == 0) {
    return Fail("the file holds no pixel data");
  }
  SwapRedBlue(0, total);
  return true;
}

// Packets until the image is full. A packet that reaches past the image is cut at
// its end; a file that ends before a packet header or inside a run value is
// refused; a raw packet that the file cuts short keeps its missing bytes 0.
bool cTgaImage::ReadRunLength(const uint8_t* data, uint32_t size, uint32_t& position) {
  uint32_t total = GetSize();
  uint32_t produced = 0;
  while (produced < total) {
    uint8_t packet = 0;
    if (CopyFrom(data, size, position, &packet, 1) != 1) {
      return Fail("the run-length data ends after " + std::to_string(produced / m_bytesPerPixel) + " of " +
                  std::to_string(total / m_bytesPerPixel) + " pixels");
    }
    if ((packet & kRunPacketFlag) != 0) {
      uint32_t count = (uint32_t)packet - 127u;
      uint8_t value[4] = {0, 0, 0, 0};
      if (CopyFrom(data, size, position, value, m_bytesPerPixel) != m_bytesPerPixel) {
        return Fail("the run-length data ends inside a run value");
      }
      if (m_bytesPerPixel >= 3) {
        std::swap(value[0], value[2]);
      }
      uint32_t end = produced + std::min(count * m_bytesPerPixel, total - produced);
      for (uint32_t p = produced; p < end; p += m_bytesPerPixel) {
        memcpy(&m_pixels[p], value, m_bytesPerPixel);
      }
      produced = end;
    } else {
      uint32_t count = (uint32_t)packet + 1u;
      uint32_t want = std::min(count * m_bytesPerPixel, total - produced);
      if (CopyFrom(data, size, position, &m_pixels[produced], want) == 0) {
        return Fail("the run-length data ends right after a raw packet header");
      }
      SwapRedBlue(produced, produced + want);
      produced += want;
    }
  }
  return true;
}

// Exchanges bytes 0 and 2 of every pixel in [first, end) for 3 or 4 bytes per
// pixel, turning the file's B, G, R order into R, G, B.
void cTgaImage::SwapRedBlue(uint32_t first, uint32_t end) {
  if (m_bytesPerPixel < 3) {
    return;
  }
  for (uint32_t p = first; p + 2 < end; p += m_bytesPerPixel) {
    std::swap(m_pixels[p], m_pixels[p + 2]);
  }
}
