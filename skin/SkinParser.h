// The block reader of the skin script: the files layer's parser over a cSkinLexer,
// keeping the first failure of a load (its reason and the line of the token where
// it happened) for tools that report it. The launcher only sees true or false.
#pragma once

#include "files/Parser.h"

#include <string>

class cSkinLexer;

class cSkinParser : public cParser {
public:
  cSkinParser(cSkinLexer* lexer, const char* sourceName);
  ~cSkinParser() override;

  // Records reason at the line of the last token read, unless a failure is
  // already recorded. Returns false, so a block can end with return Fail(...).
  bool Fail(const std::string& reason);
  // As Fail, at a given line.
  bool FailAt(int line, const std::string& reason);
  bool HasFailed() const { return m_failed; }
  const std::string& GetFailReason() const { return m_failReason; }
  int GetFailLine() const { return m_failLine; }

  // Line of the last token read.
  int GetLine() const;
  // True when the last token read was the end of the text.
  bool IsAtEnd() const;
  // The last token for a message: its text in quotes, or "the end of the file".
  std::string DescribeLast() const;

private:
  cSkinLexer* m_pLexer;
  bool m_failed;
  int m_failLine;
  std::string m_failReason;
};
