// Splits a text held in memory into tokens: numbers, names, quoted strings and
// single punctuation characters, skipping blanks and "//" or "--" line comments and
// counting lines. The text is scanned in place and must outlive the lexer. Names
// registered with AddKeyword come back from NextToken with their keyword id.
#pragma once

#include "files/Token.h"

#include <cstdint>
#include <map>
#include <string>

class cMemFileToRead;

class cLexer {
public:
  cLexer();
  cLexer(const char* text, uint32_t size);
  // Scans the stream's loaded bytes; a null stream gives an empty text.
  explicit cLexer(cMemFileToRead* stream);
  virtual ~cLexer();

  // Restarts the scan on a new text (position 0, line 1); keywords are kept.
  virtual void SetText(const char* text, uint32_t size);
  virtual void SetStream(cMemFileToRead* stream);
  // ReadToken, then a name found in the keyword table takes the keyword's id.
  virtual int NextToken(cToken& token);
  // Scans one token into token and returns its kind.
  virtual int ReadToken(cToken& token);
  // The id registered for name, or TOKEN_NAME.
  virtual int LookupKeyword(const std::string& name) const;
  // Skips tabs, carriage returns, spaces and line feeds. True when the text is
  // used up.
  virtual bool SkipSpaces();

  // Registers a keyword; a name already registered keeps its first id.
  void AddKeyword(const std::string& name, int id);
  // The next byte, counting a line feed; 0xFF at the end of the text.
  int GetChar();
  // Steps back one byte, uncounting a line feed.
  void UngetChar();
  // True when the last ReadToken met the end of the text having read nothing but
  // blanks and comments: its TOKEN_NONE stands for no token, though its text may
  // hold a comment's first character. Any other TOKEN_NONE with text is a token
  // that the end cut short.
  bool EndedWithoutToken() const { return m_endedWithoutToken; }

private:
  const unsigned char* m_text;
  uint32_t m_size;
  uint32_t m_position;
  int m_line;
  bool m_endedWithoutToken;
  std::map<std::string, int> m_keywords;
};
