#include "skin/SkinButtonResource.h"

#include "skin/SkinParser.h"

cSkinButtonResource::cSkinButtonResource() : cSkinComponentResource("button"), m_style(0) {}

cSkinButtonResource::~cSkinButtonResource() = default;

cSkinComponentResource::eKeyResult cSkinButtonResource::ParseKey(const std::string& key, cSkinParser& parser) {
  if (key == "image") {
    return ReadImageKey(parser);
  }
  if (key == "style") {
    // Unlike the other numbers of the script, a style that is not an integer fails.
    int style = 0;
    if (!parser.ReadInt(style)) {
      parser.Fail("\"style\" needs an integer, found " + parser.DescribeLast());
      return SKIN_KEY_FAILED;
    }
    m_style = (uint32_t)style;
    return SKIN_KEY_READ;
  }
  return ParsePlacementKey(key, parser);
}
