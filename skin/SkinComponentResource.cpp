#include "skin/SkinComponentResource.h"

#include "skin/SkinParser.h"
#include "skin/TgaImage.h"

#include <cstdint>

namespace {

std::string g_skinFolder;

// x + y with 32-bit wrap-around, so that any pair of script values is defined.
LONG AddWrapped(LONG x, LONG y) { return (LONG)(int32_t)((uint32_t)x + (uint32_t)y); }

}  // namespace

cSkinComponentResource::cSkinComponentResource(const char* kind)
    : m_rect{0, 0, 0, 0}, m_width(0), m_height(0), m_kind(kind) {}

cSkinComponentResource::~cSkinComponentResource() = default;

void cSkinComponentResource::SetSkinFolder(const std::string& folder) { g_skinFolder = folder; }

const std::string& cSkinComponentResource::GetSkinFolder() { return g_skinFolder; }

bool cSkinComponentResource::LoadImage(const char* fileName, cSkinBitmap& target, int* pWidth, int* pHeight,
                                       std::string* pReason) {
  std::string path = g_skinFolder + (fileName != nullptr ? fileName : "");
  cTgaImage image;
  if (!image.Load(path.c_str())) {
    if (pReason != nullptr) {
      *pReason = path + ": " + image.GetError();
    }
    return false;
  }
  cSkinBitmap built;
  built.CreateFromImage(image);
  target.Swap(built);
  if (pWidth != nullptr) {
    *pWidth = (int)image.GetWidth();
  }
  if (pHeight != nullptr) {
    *pHeight = (int)image.GetHeight();
  }
  return true;
}

bool cSkinComponentResource::Parse(cSkinParser& parser) {
  std::string block = std::string("the ") + m_kind + " block";
  if (!parser.Expect("{")) {
    return parser.Fail("expected \"{\" to open " + block + ", found " + parser.DescribeLast());
  }
  int openLine = parser.GetLine();
  for (;;) {
    std::string key;
    parser.ReadString(key);
    if (key == "}") {
      return true;
    }
    if (parser.IsAtEnd()) {
      // Where the unclosed block starts helps more than the end of the file.
      return parser.FailAt(openLine, "the file ends inside " + block + " opened on this line (missing \"}\")");
    }
    switch (ParseKey(key, parser)) {
      case SKIN_KEY_READ:
        break;
      case SKIN_KEY_FAILED:
        return parser.Fail("cannot read key \"" + key + "\" in " + block);
      case SKIN_KEY_UNKNOWN:
        return parser.Fail("unknown key \"" + key + "\" in " + block);
    }
  }
}

cSkinComponentResource::eKeyResult cSkinComponentResource::ParseKey(const std::string&, cSkinParser&) {
  return SKIN_KEY_UNKNOWN;
}

cSkinComponentResource::eKeyResult cSkinComponentResource::ReadImageKey(cSkinParser& parser) {
  return ReadImageInto(parser, m_bitmap, &m_width, &m_height);
}

cSkinComponentResource::eKeyResult cSkinComponentResource::ReadImageInto(cSkinParser& parser, cSkinBitmap& target,
                                                                         int* pWidth, int* pHeight) {
  std::string fileName;
  parser.ReadString(fileName);
  std::string reason;
  if (!LoadImage(fileName.c_str(), target, pWidth, pHeight, &reason)) {
    parser.Fail("image \"" + fileName + "\" cannot be read: " + reason);
    return SKIN_KEY_FAILED;
  }
  return SKIN_KEY_READ;
}

cSkinComponentResource::eKeyResult cSkinComponentResource::ParsePlacementKey(const std::string& key,
                                                                           cSkinParser& parser) {
  if (key == "pos") {
    ReadPos(parser);
    return SKIN_KEY_READ;
  }
  if (key == "size") {
    ReadSize(parser);
    return SKIN_KEY_READ;
  }
  return SKIN_KEY_UNKNOWN;
}

void cSkinComponentResource::ReadPos(cSkinParser& parser) {
  LONG x = parser.ReadInt();
  LONG y = parser.ReadInt();
  m_rect.left = x;
  m_rect.top = y;
  m_rect.right = AddWrapped(x, m_width);
  m_rect.bottom = AddWrapped(y, m_height);
}

void cSkinComponentResource::ReadSize(cSkinParser& parser) {
  m_width = parser.ReadInt();
  m_height = parser.ReadInt();
  m_rect.right = AddWrapped(m_rect.left, m_width);
  m_rect.bottom = AddWrapped(m_rect.top, m_height);
}

COLORREF cSkinComponentResource::ReadColor(cSkinParser& parser) {
  uint32_t r = (uint32_t)parser.ReadInt() & 0xFFu;
  uint32_t g = (uint32_t)parser.ReadInt() & 0xFFu;
  uint32_t b = (uint32_t)parser.ReadInt() & 0xFFu;
  return (COLORREF)(r | (g << 8) | (b << 16));
}
