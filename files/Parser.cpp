#include "files/Parser.h"

#include "files/Lexer.h"

#include <cctype>
#include <cstdint>

namespace {

// Decimal text to a 32-bit value: leading white space and one sign are allowed.
// Negative values saturate at -2147483648. Positive values up to 4294967295 keep
// their 32-bit pattern (3000000000 reads as -1294967296); larger ones give -1.
int DecimalToInt32(const char* text) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  while (isspace(*p)) {
    ++p;
  }
  bool negative = false;
  if (*p == '-' || *p == '+') {
    negative = *p == '-';
    ++p;
  }
  const uint64_t kLimit = 0xFFFFFFFFull;
  uint64_t value = 0;
  bool overflow = false;
  for (; *p >= '0' && *p <= '9'; ++p) {
    value = value * 10 + (uint64_t)(*p - '0');
    if (value > kLimit) {
      overflow = true;
      value = kLimit + 1;
    }
  }
  if (negative) {
    if (overflow || value >= 0x80000000ull) {
      return INT32_MIN;
    }
    return -(int32_t)value;
  }
  if (overflow) {
    return -1;
  }
  return (int32_t)(uint32_t)value;
}

}  // namespace

cParser::cParser(cLexer* lexer, const char* sourceName)
    : m_pLexer(lexer), m_sourceName(sourceName != nullptr ? sourceName : "") {}

cParser::~cParser() = default;

// Reads one raw token into the current token; without a lexer, an end token.
void cParser::ReadRaw() {
  if (m_pLexer == nullptr) {
    m_token = cToken();
    return;
  }
  m_pLexer->ReadToken(m_token);
}

bool cParser::Expect(const char* text) {
  ReadRaw();
  return text != nullptr && m_token.text == text;
}

bool cParser::ReadString(std::string& out) {
  ReadRaw();
  out = m_token.text;
  return true;
}

int cParser::ReadInt() {
  int value = 0;
  ReadInt(value);
  return value;
}

bool cParser::ReadInt(int& out) {
  ReadRaw();
  if (m_token.kind != TOKEN_INTEGER) {
    return false;
  }
  out = DecimalToInt32(m_token.text.c_str());
  return true;
}
