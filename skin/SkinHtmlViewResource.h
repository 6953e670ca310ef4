// An html view of the skin: the home address, its mirror, and a place. No image.
//   url TEXT | urlMirror TEXT | pos X Y | size W H
#pragma once

#include "skin/SkinComponentResource.h"

#include <string>

class cSkinHtmlViewResource : public cSkinComponentResource {
public:
  cSkinHtmlViewResource();
  ~cSkinHtmlViewResource() override;

  const std::string& GetUrl() const { return m_url; }
  const std::string& GetUrlMirror() const { return m_urlMirror; }

protected:
  eKeyResult ParseKey(const std::string& key, cSkinParser& parser) override;

private:
  std::string m_url;
  std::string m_urlMirror;
};
