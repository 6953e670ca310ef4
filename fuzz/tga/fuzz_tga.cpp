// Arbitrary bytes as a TGA file: the reader must refuse or decode them without
// reading or writing outside its buffers, and the DIB build must hold what it made.
#include "skin/SkinBitmap.h"
#include "skin/TgaImage.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

// Header offsets of the width, the height and the pixel depth.
const size_t kWidthOfs = 12;
const size_t kHeightOfs = 14;
const size_t kPixelDepthOfs = 16;
// Inputs whose header asks for more pixel bytes than this take the same paths as
// smaller ones, only slower (a short uncompressed file still fills the whole
// buffer); they are skipped so the run tries many more inputs.
const uint64_t kMaxFuzzImageBytes = 1u << 20;

uint64_t RequestedBytes(const uint8_t* data, size_t size) {
  if (size <= kPixelDepthOfs) {
    return 0;
  }
  uint64_t width = data[kWidthOfs] | (data[kWidthOfs + 1] << 8);
  uint64_t height = data[kHeightOfs] | (data[kHeightOfs + 1] << 8);
  return width * height * (data[kPixelDepthOfs] / 8u);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (RequestedBytes(data, size) > kMaxFuzzImageBytes) {
    return 0;
  }
  cTgaImage image;
  if (!image.Read(data, (uint32_t)size)) {
    if (image.GetError().empty() || image.GetPixels() != nullptr) {
      abort();
    }
    return 0;
  }
  if (image.GetSize() != image.GetWidth() * image.GetHeight() * image.GetBytesPerPixel()) {
    abort();
  }
  cSkinBitmap bitmap;
  if (bitmap.CreateFromImage(image)) {
    // Touch the corners of the DIB.
    volatile COLORREF corner = bitmap.GetPixel(0, 0) ^ bitmap.GetPixel(bitmap.GetWidth() - 1, bitmap.GetHeight() - 1);
    (void)corner;
  }
  return 0;
}
