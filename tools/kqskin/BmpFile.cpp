#include "tools/kqskin/BmpFile.h"

#include "files/FileSystem.h"
#include "skin/SkinBitmap.h"

#include <cstdint>
#include <vector>

namespace {

// BITMAPFILEHEADER (14 bytes), little-endian.
const size_t kFileTypeOfs = 0;
const size_t kFileSizeOfs = 2;
const size_t kPixelOffsetOfs = 10;
const size_t kFileHeaderSize = 14;
// BITMAPINFOHEADER (40 bytes), following the file header.
const size_t kInfoSizeOfs = 0;
const size_t kInfoWidthOfs = 4;
const size_t kInfoHeightOfs = 8;
const size_t kInfoPlanesOfs = 12;
const size_t kInfoBitCountOfs = 14;
const size_t kInfoSizeImageOfs = 20;
const size_t kInfoColorsUsedOfs = 32;
const size_t kInfoHeaderSize = 40;

void PutLE16(std::vector<uint8_t>& out, size_t offset, uint32_t value) {
  out[offset] = (uint8_t)value;
  out[offset + 1] = (uint8_t)(value >> 8);
}

void PutLE32(std::vector<uint8_t>& out, size_t offset, uint32_t value) {
  PutLE16(out, offset, value & 0xFFFF);
  PutLE16(out, offset + 2, value >> 16);
}

// The two headers and the colour table, ready to be followed by the rows.
std::vector<uint8_t> MakeHeaders(const cSkinBitmap& bitmap, uint32_t pixelBytes) {
  const std::vector<uint32_t>& table = bitmap.GetColorTable();
  size_t headerSize = kFileHeaderSize + kInfoHeaderSize + table.size() * 4;
  std::vector<uint8_t> out(headerSize, 0);
  out[kFileTypeOfs] = 'B';
  out[kFileTypeOfs + 1] = 'M';
  PutLE32(out, kFileSizeOfs, (uint32_t)headerSize + pixelBytes);
  PutLE32(out, kPixelOffsetOfs, (uint32_t)headerSize);
  const size_t info = kFileHeaderSize;
  PutLE32(out, info + kInfoSizeOfs, (uint32_t)kInfoHeaderSize);
  PutLE32(out, info + kInfoWidthOfs, (uint32_t)bitmap.GetWidth());
  PutLE32(out, info + kInfoHeightOfs, (uint32_t)bitmap.GetHeight());
  PutLE16(out, info + kInfoPlanesOfs, 1);
  PutLE16(out, info + kInfoBitCountOfs, (uint32_t)bitmap.GetBitCount());
  PutLE32(out, info + kInfoSizeImageOfs, pixelBytes);
  PutLE32(out, info + kInfoColorsUsedOfs, (uint32_t)table.size());
  for (size_t i = 0; i < table.size(); ++i) {
    PutLE32(out, kFileHeaderSize + kInfoHeaderSize + i * 4, table[i]);
  }
  return out;
}

}  // namespace

bool WriteBmpFile(const cSkinBitmap& bitmap, const char* path, std::string& reason) {
  if (bitmap.IsEmpty()) {
    reason = "the bitmap is empty";
    return false;
  }
  cFileSystem* fileSystem = cFileSystem::Get();
  std::unique_ptr<cFileToWrite> file = fileSystem != nullptr ? fileSystem->OpenWrite(path) : nullptr;
  if (!file) {
    reason = "cannot create the file";
    return false;
  }
  uint32_t rowLength = (uint32_t)bitmap.GetRowLength();
  std::vector<uint8_t> headers = MakeHeaders(bitmap, rowLength * (uint32_t)bitmap.GetHeight());
  bool written = file->Write(headers.data(), (int)headers.size()) == (int)headers.size();
  for (int row = 0; written && row < bitmap.GetHeight(); ++row) {
    written = file->Write(bitmap.GetRow(row), (int)rowLength) == (int)rowLength;
  }
  if (file->Close() != 0 || !written) {
    reason = "cannot write the file";
    return false;
  }
  return true;
}
