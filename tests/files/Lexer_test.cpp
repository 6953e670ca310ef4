// Token streams of the lexer, read the way the skin reader reads them: skip blanks,
// read a token, until only blanks remain; then one more read gives the end token.
#include "files/Lexer.h"
#include "files/MemFileToRead.h"
#include "tests/files/ScratchFolder.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace {

struct Tok {
  int kind;
  std::string text;
  int line;
  bool operator==(const Tok& other) const {
    return kind == other.kind && text == other.text && line == other.line;
  }
};

std::ostream& operator<<(std::ostream& out, const Tok& tok) {
  return out << "{" << tok.kind << ", \"" << tok.text << "\", line " << tok.line << "}";
}

// All tokens of text, then the end token; bounded in case the lexer stops moving.
std::vector<Tok> Tokens(cLexer& lexer, bool withKeywords) {
  std::vector<Tok> tokens;
  cToken token;
  while (tokens.size() < 2000 && !lexer.SkipSpaces()) {
    if (withKeywords) {
      lexer.NextToken(token);
    } else {
      lexer.ReadToken(token);
    }
    tokens.push_back({token.kind, token.text, token.line});
  }
  lexer.ReadToken(token);
  tokens.push_back({token.kind, token.text, token.line});
  return tokens;
}

std::vector<Tok> Tokens(const std::string& text) {
  cLexer lexer(text.data(), (uint32_t)text.size());
  return Tokens(lexer, false);
}

struct Case {
  const char* title;
  std::string text;
  std::vector<Tok> tokens;
};

void RunCases(const std::vector<Case>& cases) {
  for (const Case& row : cases) {
    SCOPED_TRACE(row.title);
    EXPECT_EQ(Tokens(row.text), row.tokens);
  }
}

}  // namespace

TEST(Lexer, ReadsNumbersNamesAndStrings) {
  RunCases({
      {"empty text", "", {{0, "", 1}}},
      {"names and integers", "pos 10 20\n", {{3, "pos", 1}, {1, "10", 1}, {1, "20", 1}, {0, "", 2}}},
      {"negative integer", "-12 ", {{1, "-12", 1}, {0, "", 1}}},
      {"blank after the minus is dropped", "- 5 ", {{1, "-5", 1}, {0, "", 1}}},
      {"anything up to a digit after the minus is dropped", "-x\n5 ", {{1, "-5", 2}, {0, "", 2}}},
      {"real", "3.25 -0.5 7. ", {{2, "3.25", 1}, {2, "-0.5", 1}, {2, "7.", 1}, {0, "", 1}}},
      {"second point splits a number", "1.2.3 ", {{2, "1.2", 1}, {15, ".", 1}, {1, "3", 1}, {0, "", 1}}},
      {"digits and points after a letter", "x1.5 _a.b_9 ", {{3, "x1.5", 1}, {3, "_a.b_9", 1}, {0, "", 1}}},
      {"digits before a letter", "1x ", {{1, "1", 1}, {3, "x", 1}, {0, "", 1}}},
      {"double-quoted string", "\"image\"", {{4, "image", 1}, {0, "", 1}}},
      {"single quote opens, only a double quote closes",
       "'it's' here\" x ",
       {{4, "it's' here", 1}, {3, "x", 1}, {0, "", 1}}},
      {"empty string", "\"\" ", {{4, "", 1}, {0, "", 1}}},
      {"string over two lines", "\"a\nb\" c ", {{4, "a\nb", 2}, {3, "c", 2}, {0, "", 2}}},
      {"braces", "{ }", {{27, "{", 1}, {29, "}", 1}, {0, "", 1}}},
      {"slash and another byte", "/x", {{0, "/x", 1}, {0, "", 1}}},
      {"backslash, backquote and control bytes are skipped",
       "\\`\x01\x7f" "9 ",
       {{1, "9", 1}, {0, "", 1}}},
  });
}

TEST(Lexer, PunctuationKinds) {
  const std::string marks = "!#$%&()*+,.:;<=>?@[]^{|}~";
  const int kinds[] = {5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30};
  std::vector<Tok> expected;
  for (size_t i = 0; i < marks.size(); ++i) {
    expected.push_back({kinds[i], marks.substr(i, 1), 1});
  }
  expected.push_back({0, "", 1});
  EXPECT_EQ(Tokens(marks), expected);
}

TEST(Lexer, CommentsAndLines) {
  RunCases({
      {"minus comment", "-- note\n5 ", {{1, "5", 2}, {0, "", 2}}},
      {"slash comment", "// note\n5 ", {{1, "5", 2}, {0, "", 2}}},
      {"comments in a row", "// a\n-- b\n// c\nx ", {{3, "x", 4}, {0, "", 4}}},
      {"minus comment to the end", "-- note", {{0, "-", 1}, {0, "", 1}}},
      {"slash comment to the end", "a // note", {{3, "a", 1}, {0, "/", 1}, {0, "", 1}}},
      {"lines counted across blank lines", "a\nb\n\nc ", {{3, "a", 1}, {3, "b", 2}, {3, "c", 4}, {0, "", 4}}},
      {"carriage returns are blanks", "a\r\nb\r\n", {{3, "a", 1}, {3, "b", 2}, {0, "", 3}}},
      {"the line feed that ends a token is put back", "abc\n", {{3, "abc", 1}, {0, "", 2}}},
  });
}

TEST(Lexer, EndOfTextCutsTokensShort) {
  RunCases({
      {"name", "abc", {{0, "abc", 1}, {0, "", 1}}},
      {"one digit", "7", {{0, "7", 1}, {0, "", 1}}},
      {"negative one digit", "-7", {{0, "-7", 1}, {0, "", 1}}},
      {"two digits", "42", {{1, "42", 1}, {0, "", 1}}},
      {"real", "4.5", {{2, "4.5", 1}, {0, "", 1}}},
      {"number ending in a point", "4.", {{2, "4.", 1}, {0, "", 1}}},
      {"unterminated string", "x \"open\nend", {{3, "x", 1}, {0, "open\nend", 2}, {0, "", 2}}},
      {"lone minus", "-", {{0, "-", 1}, {0, "", 1}}},
  });
}

// Which reads meet the end of the text with nothing but blanks and comments read:
// only those stand for no token; a token cut short by the end is still a token.
TEST(Lexer, EndWithoutATokenIsTold) {
  struct Case {
    const char* name;
    std::string text;
    std::string lastText;
    bool withoutToken;
  };
  const std::vector<Case> cases = {
      {"slash comment", "a // note", "/", true},
      {"minus comment", "a -- note", "-", true},
      {"comment right at the end", "a //", "/", true},
      {"comment ended by its line feed", "a // note\n", "/", true},
      {"two comments", "a // one\n-- two\n", "-", true},
      {"blanks after a comment", "a // one\n  ", "", true},
      {"a lone slash", "a /", "/", false},
      {"a lone minus", "a -", "-", false},
      {"a minus and a word", "a - x", "-", false},
      {"a name cut short", "a b", "b", false},
      {"an unclosed string", "a \"b", "b", false},
      {"the end of the text", "a ", "", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    cLexer lexer(c.text.data(), (uint32_t)c.text.size());
    cToken token;
    lexer.ReadToken(token);
    EXPECT_FALSE(lexer.EndedWithoutToken());
    lexer.ReadToken(token);
    EXPECT_EQ(token.kind, TOKEN_NONE);
    EXPECT_EQ(token.text, c.lastText);
    EXPECT_EQ(lexer.EndedWithoutToken(), c.withoutToken);
    lexer.SetText(c.text.data(), (uint32_t)c.text.size());
    EXPECT_FALSE(lexer.EndedWithoutToken()) << "a new text starts afresh";
  }
}

// Bytes 128-254 outside strings and comments are skipped like other unknown bytes,
// so one stray byte never spoils the rest of a text. Inside strings and comments
// they are kept or skipped like any byte. 0xFF ends a token like the end of text.
TEST(Lexer, HighBytes) {
  RunCases({
      {"skipped between tokens", "\x80\xC8\xFE 7 ", {{1, "7", 1}, {0, "", 1}}},
      {"end a name", "a\xB0" "b ", {{3, "a", 1}, {3, "b", 1}, {0, "", 1}}},
      {"kept in a string", "\"\xB1\xA1\xFE\" ", {{4, "\xB1\xA1\xFE", 1}, {0, "", 1}}},
      {"skipped in a comment", "-- \xB1\xA1\n1 ", {{1, "1", 2}, {0, "", 2}}},
      {"0xFF stops a token", "ab\xFF" "cd ", {{0, "ab", 1}, {3, "cd", 1}, {0, "", 1}}},
      {"0xFF stops a string", "\"a\xFF" "b ", {{0, "a", 1}, {3, "b", 1}, {0, "", 1}}},
  });
}

TEST(Lexer, TokenTextKeepsAtMost511Bytes) {
  struct Case {
    const char* title;
    std::string text;
    int kind;
    std::string expected;
  };
  const Case cases[] = {
      {"511-letter name", std::string(511, 'a') + " ", 3, std::string(511, 'a')},
      {"512-letter name", std::string(512, 'b') + " ", 3, std::string(511, 'b')},
      {"600-letter name", std::string(600, 'c') + " ", 3, std::string(511, 'c')},
      {"600-byte string", "\"" + std::string(600, 's') + "\"", 4, std::string(511, 's')},
      {"long number", std::string(700, '9') + " ", 1, std::string(511, '9')},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(row.title);
    cLexer lexer(row.text.data(), (uint32_t)row.text.size());
    cToken token;
    EXPECT_EQ(lexer.ReadToken(token), row.kind);
    EXPECT_EQ(token.text, row.expected);
    EXPECT_EQ(lexer.ReadToken(token), TOKEN_NONE) << "the rest of the long token was not consumed";
    EXPECT_EQ(token.text, "");
  }
}

TEST(Lexer, KeywordsOnlyThroughNextToken) {
  const std::string text = "local Local local.x \"local\" other ";
  cLexer lexer(text.data(), (uint32_t)text.size());
  lexer.AddKeyword("local", 100);
  lexer.AddKeyword("other", 101);
  lexer.AddKeyword("local", 102);
  EXPECT_EQ(lexer.LookupKeyword("local"), 100);
  EXPECT_EQ(lexer.LookupKeyword("unknown"), TOKEN_NAME);

  std::vector<Tok> expected = {{100, "local", 1}, {3, "Local", 1}, {3, "local.x", 1},
                               {4, "local", 1},   {101, "other", 1}, {0, "", 1}};
  EXPECT_EQ(Tokens(lexer, true), expected);

  lexer.SetText(text.data(), (uint32_t)text.size());
  std::vector<Tok> raw = {{3, "local", 1}, {3, "Local", 1}, {3, "local.x", 1},
                          {4, "local", 1}, {3, "other", 1}, {0, "", 1}};
  EXPECT_EQ(Tokens(lexer, false), raw);
}

TEST(Lexer, SetTextRestartsPositionAndLine) {
  const std::string first = "a\n\nb ";
  const std::string second = "c ";
  cLexer lexer(first.data(), (uint32_t)first.size());
  cToken token;
  lexer.ReadToken(token);
  lexer.ReadToken(token);
  ASSERT_EQ(token.line, 3);
  lexer.SetText(second.data(), (uint32_t)second.size());
  EXPECT_EQ(lexer.ReadToken(token), TOKEN_NAME);
  EXPECT_EQ(token.text, "c");
  EXPECT_EQ(token.line, 1);
}

TEST(Lexer, GetCharAndUngetCharCountLines) {
  const std::string text = "a\nb";
  cLexer lexer(text.data(), (uint32_t)text.size());
  cToken token;
  EXPECT_EQ(lexer.GetChar(), 'a');
  EXPECT_EQ(lexer.GetChar(), '\n');
  lexer.UngetChar();
  lexer.UngetChar();
  lexer.UngetChar();
  EXPECT_EQ(lexer.GetChar(), 'a');
  EXPECT_EQ(lexer.GetChar(), '\n');
  EXPECT_EQ(lexer.GetChar(), 'b');
  EXPECT_EQ(lexer.GetChar(), 0xFF);
  EXPECT_EQ(lexer.GetChar(), 0xFF);
  lexer.UngetChar();
  lexer.UngetChar();
  EXPECT_EQ(lexer.ReadToken(token), TOKEN_NONE);
  EXPECT_EQ(token.text, "b");
  EXPECT_EQ(token.line, 2);
}

TEST(Lexer, ScansALoadedStreamInPlace) {
  ScratchFolder scratch("lexstream");
  WriteBytes(scratch.Path() / "skin.txt", "main { x 1 }\n");
  cMemFileToRead stream;
  ASSERT_TRUE(stream.Load((scratch / "skin.txt").c_str(), 0));
  cLexer lexer(&stream);
  std::vector<Tok> expected = {{3, "main", 1}, {27, "{", 1}, {3, "x", 1}, {1, "1", 1}, {29, "}", 1}, {0, "", 2}};
  EXPECT_EQ(Tokens(lexer, false), expected);

  cLexer none(nullptr);
  EXPECT_TRUE(none.SkipSpaces());
  cToken token;
  EXPECT_EQ(none.ReadToken(token), TOKEN_NONE);
  EXPECT_EQ(token.text, "");
}
