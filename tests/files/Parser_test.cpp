// The block reader: one raw token per operation, and the decimal conversion limits.
#include "files/Lexer.h"
#include "files/Parser.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

TEST(Parser, ExpectComparesTheTextOnly) {
  struct Case {
    std::string text;
    const char* expected;
    bool result;
  };
  const Case cases[] = {
      {"{ ", "{", true},         {"\"}\" ", "}", true},   {"} ", "}", true},     {"", "}", false},
      {"ab ", "a", false},       {"a ", "ab", false},     {"A ", "a", false},    {"-- c\nkey ", "key", true},
      {"12 ", "12", true},       {"\"\" ", "", true},     {"x ", nullptr, false},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE("\"" + row.text + "\"");
    cLexer lexer(row.text.data(), (uint32_t)row.text.size());
    cParser parser(&lexer, "test.txt");
    EXPECT_EQ(parser.Expect(row.expected), row.result);
  }
}

TEST(Parser, EveryReadConsumesOneToken) {
  const std::string text = "{ key 12 1.5 name \"str\" -7 }";
  cLexer lexer(text.data(), (uint32_t)text.size());
  cParser parser(&lexer, "skin.txt");
  std::string value = "unchanged";
  int number = 99;

  EXPECT_FALSE(parser.Expect("}"));
  EXPECT_TRUE(parser.ReadString(value));
  EXPECT_EQ(value, "key");
  EXPECT_EQ(parser.ReadInt(), 12);
  EXPECT_EQ(parser.ReadInt(), 0);
  EXPECT_FALSE(parser.ReadInt(number));
  EXPECT_EQ(number, 99);
  EXPECT_TRUE(parser.ReadString(value));
  EXPECT_EQ(value, "str");
  EXPECT_TRUE(parser.ReadInt(number));
  EXPECT_EQ(number, -7);
  EXPECT_TRUE(parser.Expect("}"));

  EXPECT_TRUE(parser.ReadString(value));
  EXPECT_EQ(value, "");
  EXPECT_FALSE(parser.Expect("}"));
  EXPECT_EQ(parser.ReadInt(), 0);
}

TEST(Parser, ReadIntConvertsIntegerTokens) {
  struct Case {
    std::string text;
    bool isInteger;
    int value;
  };
  const Case cases[] = {
      {"12 ", true, 12},
      {"-7 ", true, -7},
      {"0 ", true, 0},
      {"-0 ", true, 0},
      {"007 ", true, 7},
      {"2147483647 ", true, 2147483647},
      {"2147483648 ", true, INT_MIN},
      {"3000000000 ", true, -1294967296},
      {"4294967295 ", true, -1},
      {"4294967296 ", true, -1},
      {"99999999999999999999 ", true, -1},
      {std::string(511, '9') + " ", true, -1},
      {"-2147483647 ", true, -2147483647},
      {"-2147483648 ", true, INT_MIN},
      {"-2147483649 ", true, INT_MIN},
      {"-4294967296 ", true, INT_MIN},
      {"-" + std::string(600, '9') + " ", true, INT_MIN},
      {"1.5 ", false, 0},
      {"name ", false, 0},
      {"\"12\" ", false, 0},
      {"5", false, 0},
      {"", false, 0},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE("\"" + row.text.substr(0, 24) + "\"");
    {
      cLexer lexer(row.text.data(), (uint32_t)row.text.size());
      cParser parser(&lexer, "test.txt");
      EXPECT_EQ(parser.ReadInt(), row.value);
    }
    {
      cLexer lexer(row.text.data(), (uint32_t)row.text.size());
      cParser parser(&lexer, "test.txt");
      int out = 12345;
      EXPECT_EQ(parser.ReadInt(out), row.isInteger);
      EXPECT_EQ(out, row.isInteger ? row.value : 12345);
    }
  }
}

TEST(Parser, WithoutALexerEverythingIsAtTheEnd) {
  cParser parser(nullptr, nullptr);
  std::string value = "unchanged";
  int number = 5;
  EXPECT_FALSE(parser.Expect("}"));
  EXPECT_TRUE(parser.ReadString(value));
  EXPECT_EQ(value, "");
  EXPECT_EQ(parser.ReadInt(), 0);
  EXPECT_FALSE(parser.ReadInt(number));
  EXPECT_EQ(number, 5);
}
