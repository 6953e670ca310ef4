// A dialog of the skin: background image, font, text table and components.
//   image FILE | fontface NAME | fontsize N | dlgtext { txt ID TEXT ... }
//   button NAME {..} | progressbar NAME {..} | htmlview NAME {..} | combobox NAME {..}
#pragma once

#include "common/WinTypes.h"
#include "skin/SkinContainerResource.h"

#include <map>
#include <string>

class cSkinDialogResource : public cSkinContainerResource {
public:
  typedef std::map<int, std::string> tTextMap;

  // The font starts as Gulim (its code-page-949 name), height 12, weight 400.
  cSkinDialogResource();
  ~cSkinDialogResource() override;

  const LOGFONTA& GetFont() const { return m_font; }
  const tTextMap& GetTexts() const { return m_texts; }
  // The text of that id, or null.
  const char* FindText(int id) const;

protected:
  eKeyResult ParseKey(const std::string& key, cSkinParser& parser) override;

private:
  eKeyResult ReadFontFace(cSkinParser& parser);
  eKeyResult ReadTexts(cSkinParser& parser);
  eKeyResult ReadChild(cSkinParser& parser, std::unique_ptr<cSkinComponentResource> child);

  LOGFONTA m_font;
  tTextMap m_texts;
};
