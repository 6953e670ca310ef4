#include "skin/SkinProgressBarResource.h"

#include "skin/SkinParser.h"

namespace {
const COLORREF kDefaultColor = 0x00FFFFFF;
const COLORREF kDefaultBackColor = 0x00404040;
}  // namespace

cSkinProgressBarResource::cSkinProgressBarResource()
    : cSkinComponentResource("progressbar"), m_color(kDefaultColor), m_backColor(kDefaultBackColor) {}

cSkinProgressBarResource::~cSkinProgressBarResource() = default;

cSkinComponentResource::eKeyResult cSkinProgressBarResource::ParseKey(const std::string& key, cSkinParser& parser) {
  if (key == "image") {
    return ReadImageKey(parser);
  }
  if (key == "color") {
    m_color = ReadColor(parser);
    return SKIN_KEY_READ;
  }
  if (key == "backcolor") {
    m_backColor = ReadColor(parser);
    return SKIN_KEY_READ;
  }
  return ParsePlacementKey(key, parser);
}
