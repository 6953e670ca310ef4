#include "skin/SkinLexer.h"

cSkinLexer::cSkinLexer(const char* text, uint32_t size)
    : cLexer(text, size), m_lastLine(1), m_lastAtEnd(false) {}

cSkinLexer::~cSkinLexer() = default;

int cSkinLexer::ReadToken(cToken& token) {
  int kind = cLexer::ReadToken(token);
  m_lastLine = token.line;
  m_lastText = token.text;
  m_lastAtEnd = kind == TOKEN_NONE && token.text.empty();
  return kind;
}
