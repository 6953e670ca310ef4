// A thin reader over a cLexer for blocks of key and value tokens. Every operation
// consumes exactly one raw token (ReadToken, so keywords play no part); a false
// result tells the caller to abandon the block. Without a lexer every read behaves
// as at the end of the text.
#pragma once

#include "files/Token.h"

#include <string>

class cLexer;

class cParser {
public:
  cParser(cLexer* lexer, const char* sourceName);
  virtual ~cParser();
  cParser(const cParser&) = delete;
  cParser& operator=(const cParser&) = delete;

  // True when the token's text equals text exactly, whatever its kind.
  bool Expect(const char* text);
  // Copies the token's text, whatever its kind; empty at the end of the text.
  // Always true.
  bool ReadString(std::string& out);
  // The value of an integer token, else 0.
  int ReadInt();
  // Stores the value of an integer token in out and returns true; for any other
  // token returns false and leaves out unchanged.
  bool ReadInt(int& out);

private:
  void ReadRaw();

  cLexer* m_pLexer;
  std::string m_sourceName;
  cToken m_token;
};
