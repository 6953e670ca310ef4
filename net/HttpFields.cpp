#include "net/HttpFields.h"

#include <cstdint>
#include <cstring>

namespace {

const char* SkipBlanks(const char* text) {
  while (*text == ' ' || *text == '\t') ++text;
  return text;
}

// Reads decimal digits at *text into value; false when there are none or the value
// does not fit 32 bits.
bool ReadNumber(const char** text, unsigned* value) {
  const char* p = SkipBlanks(*text);
  if (*p < '0' || *p > '9') return false;
  uint64_t number = 0;
  for (; *p >= '0' && *p <= '9'; ++p) {
    number = number * 10 + static_cast<unsigned>(*p - '0');
    if (number > 0xFFFFFFFFu) return false;
  }
  *value = static_cast<unsigned>(number);
  *text = SkipBlanks(p);
  return true;
}

bool StartsWithNoCase(const char* text, const char* start) {
  for (; *start; ++text, ++start) {
    char c = *text >= 'A' && *text <= 'Z' ? static_cast<char>(*text - 'A' + 'a') : *text;
    if (c != *start) return false;
  }
  return true;
}

}  // namespace

bool ParseContentRange(const char* text, unsigned* first, unsigned* last, unsigned* total) {
  const char* p = SkipBlanks(text);
  if (!StartsWithNoCase(p, "bytes")) return false;
  p += 5;
  if (*p != ' ' && *p != '\t') return false;
  unsigned a = 0, b = 0, c = 0;
  if (!ReadNumber(&p, &a) || *p++ != '-') return false;
  if (!ReadNumber(&p, &b) || *p++ != '/') return false;
  if (!ReadNumber(&p, &c) || *p != '\0') return false;
  if (b < a || b >= c) return false;
  *first = a;
  *last = b;
  *total = c;
  return true;
}

bool IsUsableValidator(const char* text) {
  size_t length = std::strlen(text);
  if (length == 0 || length >= HTTP_VALIDATOR_SIZE) return false;
  for (const char* p = text; *p; ++p) {
    unsigned char c = static_cast<unsigned char>(*p);
    if (c < 0x20 || c > 0x7E) return false;
  }
  return true;
}
