// Feeds arbitrary bytes through the lexer (the skin reader's SkipSpaces/NextToken
// loop, with keywords) and through the parser (a mix of its reads chosen by the
// input), checking the token invariants. The lexer scans the fuzzer's buffer in
// place, so any read past the input is caught by AddressSanitizer. Every read
// consumes at least one byte until the end, so the loops are bounded by the size.
#include "files/Lexer.h"
#include "files/Parser.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

const char* const kKeywords[] = {"dialog", "button", "image", "local", "{", "x1.5"};

int CountLineFeeds(const uint8_t* data, size_t size) {
  int count = 0;
  for (size_t i = 0; i < size; ++i) {
    count += data[i] == '\n';
  }
  return count;
}

bool IsKnownKind(int kind) {
  return kind == TOKEN_ERROR || (kind >= TOKEN_NONE && kind <= TOKEN_TILDE && kind != 16) || kind >= TOKEN_KEYWORD;
}

void Check(bool condition) {
  if (!condition) {
    abort();
  }
}

void CheckToken(const cToken& token, int lastLine) {
  Check(token.text.size() <= (size_t)TOKEN_MAX_TEXT);
  Check(IsKnownKind(token.kind));
  Check(token.line >= 1 && token.line <= lastLine);
}

void RunLexer(const char* text, uint32_t size, int lastLine) {
  cLexer lexer(text, size);
  for (size_t i = 0; i < sizeof kKeywords / sizeof kKeywords[0]; ++i) {
    lexer.AddKeyword(kKeywords[i], TOKEN_KEYWORD + (int)i);
  }
  cToken token;
  for (uint32_t steps = 0; steps <= size && !lexer.SkipSpaces(); ++steps) {
    lexer.NextToken(token);
    CheckToken(token, lastLine);
  }
  Check(lexer.SkipSpaces());
  Check(lexer.ReadToken(token) == TOKEN_NONE && token.text.empty() && token.line == lastLine);
}

void RunParser(const char* text, uint32_t size) {
  cLexer lexer(text, size);
  cParser parser(&lexer, "fuzz.txt");
  std::string value;
  int number = 0;
  for (uint32_t step = 0; step <= size; ++step) {
    switch ((unsigned char)text[step % size] % 4) {
      case 0: parser.Expect("{"); break;
      case 1: parser.ReadString(value); Check(value.size() <= (size_t)TOKEN_MAX_TEXT); break;
      case 2: parser.ReadInt(); break;
      default: parser.ReadInt(number); break;
    }
  }
  // After one read per byte the text is used up.
  Check(parser.ReadString(value) && value.empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1 << 20) {
    return 0;
  }
  const char* text = reinterpret_cast<const char*>(data);
  int lastLine = 1 + CountLineFeeds(data, size);
  RunLexer(text, (uint32_t)size, lastLine);
  if (size > 0) {
    RunParser(text, (uint32_t)size);
  }
  return 0;
}
