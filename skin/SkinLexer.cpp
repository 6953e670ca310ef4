#include "skin/SkinLexer.h"

cSkinLexer::cSkinLexer(const char* text, uint32_t size)
    : cLexer(text, size), m_lastLine(1), m_lastAtEnd(false) {}

cSkinLexer::~cSkinLexer() = default;

int cSkinLexer::ReadToken(cToken& token) {
  int kind = cLexer::ReadToken(token);
  m_lastLine = token.line;
  m_lastText = token.text;
  // A comment before the end leaves its first character behind: that is the end
  // of the text too.
  m_lastAtEnd = EndedWithoutToken();
  return kind;
}
