#include "skin/SkinParser.h"

#include "skin/SkinLexer.h"

cSkinParser::cSkinParser(cSkinLexer* lexer, const char* sourceName)
    : cParser(lexer, sourceName), m_pLexer(lexer), m_failed(false), m_failLine(0) {}

cSkinParser::~cSkinParser() = default;

bool cSkinParser::Fail(const std::string& reason) { return FailAt(GetLine(), reason); }

bool cSkinParser::FailAt(int line, const std::string& reason) {
  if (!m_failed) {
    m_failed = true;
    m_failLine = line;
    m_failReason = reason;
  }
  return false;
}

int cSkinParser::GetLine() const { return m_pLexer != nullptr ? m_pLexer->GetLastLine() : 0; }

bool cSkinParser::IsAtEnd() const { return m_pLexer == nullptr || m_pLexer->IsLastAtEnd(); }

std::string cSkinParser::DescribeLast() const {
  if (IsAtEnd()) {
    return "the end of the file";
  }
  return "\"" + m_pLexer->GetLastText() + "\"";
}
