#include "skin/SkinDialogResource.h"

#include "skin/SkinButtonResource.h"
#include "skin/SkinComboBoxResource.h"
#include "skin/SkinHtmlViewResource.h"
#include "skin/SkinParser.h"
#include "skin/SkinProgressBarResource.h"

#include <cstring>

namespace {

const LONG kDefaultFontHeight = 12;
const LONG kDefaultFontWeight = 400;  // FW_NORMAL
const BYTE kDefaultCharSet = 1;       // DEFAULT_CHARSET
// Gulim, the Korean system face, in code page 949.
const char kDefaultFaceName[] = "\xB1\xBC\xB8\xB2";

}  // namespace

cSkinDialogResource::cSkinDialogResource() : cSkinContainerResource("dialog") {
  memset(&m_font, 0, sizeof(m_font));
  m_font.lfHeight = kDefaultFontHeight;
  m_font.lfWeight = kDefaultFontWeight;
  m_font.lfCharSet = kDefaultCharSet;
  memcpy(m_font.lfFaceName, kDefaultFaceName, sizeof(kDefaultFaceName));
}

cSkinDialogResource::~cSkinDialogResource() = default;

const char* cSkinDialogResource::FindText(int id) const {
  auto found = m_texts.find(id);
  return found != m_texts.end() ? found->second.c_str() : nullptr;
}

cSkinComponentResource::eKeyResult cSkinDialogResource::ParseKey(const std::string& key, cSkinParser& parser) {
  if (key == "image") {
    return ReadImageKey(parser);
  }
  if (key == "fontface") {
    return ReadFontFace(parser);
  }
  if (key == "fontsize") {
    m_font.lfHeight = parser.ReadInt();
    return SKIN_KEY_READ;
  }
  if (key == "dlgtext") {
    return ReadTexts(parser);
  }
  if (key == "button") {
    return ReadChild(parser, std::make_unique<cSkinButtonResource>());
  }
  if (key == "progressbar") {
    return ReadChild(parser, std::make_unique<cSkinProgressBarResource>());
  }
  if (key == "htmlview") {
    return ReadChild(parser, std::make_unique<cSkinHtmlViewResource>());
  }
  if (key == "combobox") {
    return ReadChild(parser, std::make_unique<cSkinComboBoxResource>());
  }
  return SKIN_KEY_UNKNOWN;
}

// A face name longer than the field (31 bytes and a terminator) is cut to 31 bytes.
cSkinComponentResource::eKeyResult cSkinDialogResource::ReadFontFace(cSkinParser& parser) {
  std::string face;
  parser.ReadString(face);
  size_t length = face.size() < (size_t)LF_FACESIZE - 1 ? face.size() : (size_t)LF_FACESIZE - 1;
  memset(m_font.lfFaceName, 0, sizeof(m_font.lfFaceName));
  memcpy(m_font.lfFaceName, face.data(), length);
  return SKIN_KEY_READ;
}

// "{", then "txt" ID TEXT entries; the first token that is not "txt" ends the
// block, well only when it is "}". A repeated id keeps its first text.
cSkinComponentResource::eKeyResult cSkinDialogResource::ReadTexts(cSkinParser& parser) {
  if (!parser.Expect("{")) {
    parser.Fail("expected \"{\" after \"dlgtext\", found " + parser.DescribeLast());
    return SKIN_KEY_FAILED;
  }
  std::string word;
  for (;;) {
    parser.ReadString(word);
    if (word != "txt") {
      break;
    }
    int id = parser.ReadInt();
    std::string text;
    parser.ReadString(text);
    m_texts.emplace(id, text);
  }
  if (word != "}") {
    parser.Fail("expected \"txt\" or \"}\" in the dlgtext block, found " + parser.DescribeLast());
    return SKIN_KEY_FAILED;
  }
  return SKIN_KEY_READ;
}

// NAME and the child's block; the child is added when its block was read.
cSkinComponentResource::eKeyResult cSkinDialogResource::ReadChild(cSkinParser& parser,
                                                                  std::unique_ptr<cSkinComponentResource> child) {
  std::string name;
  parser.ReadString(name);
  if (!child->Parse(parser)) {
    return SKIN_KEY_FAILED;
  }
  AddComponent(name, std::move(child));
  return SKIN_KEY_READ;
}
