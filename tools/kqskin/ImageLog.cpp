#include "tools/kqskin/ImageLog.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace {

const size_t kHeaderSize = 18;
const size_t kColorMapTypeOfs = 1;
const size_t kImageTypeOfs = 2;
const size_t kDepthOfs = 16;
const size_t kDescriptorOfs = 17;
// Descriptor bit 5: the first row of the file is the top row of the picture.
const uint8_t kTopLeftOrigin = 0x20;
const uint8_t kTypeColorMapped = 1;
const uint8_t kTypeGrey = 3;
const uint8_t kTypeRleColorMapped = 9;
const uint8_t kTypeRleGrey = 11;

bool EndsWithTga(const std::string& path) {
  if (path.size() < 4) return false;
  std::string ending = path.substr(path.size() - 4);
  std::transform(ending.begin(), ending.end(), ending.begin(), [](char c) { return (char)std::tolower((unsigned char)c); });
  return ending == ".tga";
}

bool ReadHeader(const std::string& path, uint8_t* header) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  const bool read = std::fread(header, 1, kHeaderSize, file) == kHeaderSize;
  std::fclose(file);
  return read;
}

}  // namespace

std::unique_ptr<cMemFileToRead> cImageLog::OpenMemRead(const char* path) {
  if (path != nullptr && std::find(m_paths.begin(), m_paths.end(), path) == m_paths.end()) m_paths.push_back(path);
  return cFileSystem::OpenMemRead(path);
}

std::vector<std::string> FindImageSurprises(const std::string& path) {
  std::vector<std::string> found;
  uint8_t header[kHeaderSize];
  if (!EndsWithTga(path) || !ReadHeader(path, header)) return found;
  const uint8_t type = header[kImageTypeOfs];
  if (header[kDescriptorOfs] & kTopLeftOrigin) {
    found.push_back("top-left origin; the launcher ignores it and shows the picture upside down");
  }
  if (header[kColorMapTypeOfs] != 0 || type == kTypeColorMapped || type == kTypeRleColorMapped) {
    found.push_back("a colour-mapped file; the launcher reads no colour map (a map in the file is read as pixels)");
  }
  if (header[kDepthOfs] == 8 && type != kTypeGrey && type != kTypeRleGrey) {
    found.push_back("8 bits per pixel in a colour image; the launcher draws them as grey levels");
  }
  return found;
}
