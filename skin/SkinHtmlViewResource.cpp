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
