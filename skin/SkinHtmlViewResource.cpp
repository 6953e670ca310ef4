#include "skin/SkinHtmlViewResource.h"

#include "skin/SkinParser.h"

cSkinHtmlViewResource::cSkinHtmlViewResource() : cSkinComponentResource("htmlview") {}

cSkinHtmlViewResource::~cSkinHtmlViewResource() = default;

cSkinComponentResource::eKeyResult cSkinHtmlViewResource::ParseKey(const std::string& key, cSkinParser& parser) {
  if (key == "url") {
    parser.ReadString(m_url);
    return SKIN_KEY_READ;
  }
  if (key == "urlMirror") {
    parser.ReadString(m_urlMirror);
    return SKIN_KEY_READ;
  }
  return ParsePlacementKey(key, parser);
}
