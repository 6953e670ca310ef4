#include "skin/SkinComboBoxResource.h"

#include "skin/SkinParser.h"

cSkinComboBoxResource::cSkinComboBoxResource()
    : cSkinComponentResource("combobox"),
      m_left{0, 0, 0, 0},
      m_center{0, 0, 0, 0},
      m_right{0, 0, 0, 0},
      m_scrollWidth(0),
      m_scrollHeight(0) {}

cSkinComboBoxResource::~cSkinComboBoxResource() = default;

cSkinComponentResource::eKeyResult cSkinComboBoxResource::ParseKey(const std::string& key, cSkinParser& parser) {
  if (key == "image") {
    return ReadImageKey(parser);
  }
  if (key == "imageScroll") {
    return ReadImageInto(parser, m_scrollBitmap, &m_scrollWidth, &m_scrollHeight);
  }
  if (key == "left") {
    ReadSlice(parser, m_left);
    return SKIN_KEY_READ;
  }
  if (key == "center") {
    ReadSlice(parser, m_center);
    return SKIN_KEY_READ;
  }
  if (key == "right") {
    ReadSlice(parser, m_right);
    return SKIN_KEY_READ;
  }
  return ParsePlacementKey(key, parser);
}

void cSkinComboBoxResource::ReadSlice(cSkinParser& parser, SkinSlice& slice) {
  slice.x = parser.ReadInt();
  slice.y = parser.ReadInt();
  slice.width = parser.ReadInt();
  slice.height = parser.ReadInt();
}
