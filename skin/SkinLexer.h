// The lexer of the skin script: the files layer's lexer, remembering the last token
// it read (its line, its text, and whether it was the end of the text), so that a
// failed load can say where it stopped.
#pragma once

#include "files/Lexer.h"

#include <string>

class cSkinLexer : public cLexer {
public:
  cSkinLexer(const char* text, uint32_t size);
  ~cSkinLexer() override;

  int ReadToken(cToken& token) override;

  // Line of the last token read (1 before any).
  int GetLastLine() const { return m_lastLine; }
  // Text of the last token read.
  const std::string& GetLastText() const { return m_lastText; }
  // True when the last token read was the end of the text (nothing, or a comment
  // that ran into it).
  bool IsLastAtEnd() const { return m_lastAtEnd; }

private:
  int m_lastLine;
  std::string m_lastText;
  bool m_lastAtEnd;
};
