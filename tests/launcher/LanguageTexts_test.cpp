// The language files read as tables: line slots with their limits and line ends, the
// rectangles of textpos.txt, and the textpos tokenizer.
#include "launcher/LanguageTexts.h"
#include "tests/launcher/LanguageTestFiles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::string Chars(char c, size_t count) { return std::string(count, c); }

// Numbered lines "<prefix>0\n" .. "<prefix>(count-1)\n".
std::string NumberedLines(const std::string& prefix, int count) {
  std::string text;
  for (int i = 0; i < count; ++i) {
    text += prefix + std::to_string(i) + "\n";
  }
  return text;
}

std::vector<std::string> Numbered(const std::string& prefix, int count) {
  std::vector<std::string> lines;
  for (int i = 0; i < count; ++i) {
    lines.push_back(prefix + std::to_string(i));
  }
  return lines;
}

std::vector<long> Values(const RECT& rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }

TEST(LanguageTexts, LineFilesFillTheirSlots) {
  struct Case {
    const char* title;
    std::string content;
    std::vector<std::string> lines;  // the PatchMsg slots, padded with empty texts
  };
  const std::vector<Case> cases = {
      {"more lines than slots", NumberedLines("p", 17), Numbered("p", 15)},
      {"ten lines", NumberedLines("p", 10), Numbered("p", 10)},
      {"CR LF line ends", "one\r\ntwo\r\n\r\nfour\r\n", {"one", "two", "", "four"}},
      {"last line without line end", "a\nb", {"a", "b"}},
      {"only one line feed removed, blank lines kept", "a\n\n\nb\n", {"a", "", "", "b"}},
      {"a 300-character line continues in the next slot", Chars('x', 300) + "\nnext\n",
       {Chars('x', 254), Chars('x', 46), "next"}},
      {"a 254-character line leaves its line feed as an empty line", Chars('y', 254) + "\nnext\n",
       {Chars('y', 254), "", "next"}},
      {"a 253-character line with CR LF fits", Chars('z', 253) + "\r\nnext\r\n", {Chars('z', 253), "next"}},
      {"spaces and tabs are kept", "  lead\ttab  \n", {"  lead\ttab  "}},
      {"empty file", "", {}},
  };
  LanguageFolder folder;
  for (const Case& row : cases) {
    SCOPED_TRACE(row.title);
    cLanguageTexts texts = folder.Load({{"PatchMsg.txt", row.content}});
    EXPECT_EQ(PatchLines(texts), Padded(row.lines, cLanguageTexts::PATCH_MSG_LINES));
  }
}

TEST(LanguageTexts, EachFileHasItsOwnSlotCount) {
  LanguageFolder folder;
  cLanguageTexts texts = folder.Load({{"PatchMsg.txt", NumberedLines("p", 20)},
                                      {"ErrorMsg.txt", NumberedLines("e", 20)},
                                      {"url.txt", NumberedLines("http://u", 20)}});
  EXPECT_EQ(PatchLines(texts), Numbered("p", 15));
  EXPECT_EQ(ErrorLines(texts), Numbered("e", 7));
  EXPECT_EQ(UrlLines(texts), Numbered("http://u", 5));
}

TEST(LanguageTexts, IndexOutOfRangeGivesTheEmptyText) {
  LanguageFolder folder;
  cLanguageTexts texts = folder.Load({{"PatchMsg.txt", NumberedLines("p", 20)},
                                      {"ErrorMsg.txt", NumberedLines("e", 20)},
                                      {"url.txt", NumberedLines("u", 20)}});
  for (int index : {-1, 15, 1000}) {
    SCOPED_TRACE(index);
    EXPECT_STREQ(texts.GetPatchMsg(index), "");
  }
  EXPECT_STREQ(texts.GetErrorMsg(-1), "");
  EXPECT_STREQ(texts.GetErrorMsg(7), "");
  EXPECT_STREQ(texts.GetUrl(-1), "");
  EXPECT_STREQ(texts.GetUrl(5), "");
  EXPECT_STREQ(texts.GetErrorMsg(6), "e6");
  EXPECT_STREQ(texts.GetUrl(4), "u4");
}

// Missing files leave everything empty, also what an earlier load had read.
TEST(LanguageTexts, MissingFilesLeaveEverythingEmpty) {
  LanguageFolder folder;
  cLanguageTexts texts = folder.Load({{"PatchMsg.txt", NumberedLines("p", 15)},
                                      {"ErrorMsg.txt", NumberedLines("e", 7)},
                                      {"url.txt", NumberedLines("u", 5)},
                                      {"textpos.txt", "*VERSION 1 2 3 4 *STATUS 5 6 7 8 *DATAINFO 9 10 11 12\n"}});
  ASSERT_EQ(Values(texts.GetDataInfoRect()), (std::vector<long>{9, 10, 11, 12}));

  folder.Load({});
  texts.LoadLanguageTexts();
  EXPECT_EQ(PatchLines(texts), Padded({}, cLanguageTexts::PATCH_MSG_LINES));
  EXPECT_EQ(ErrorLines(texts), Padded({}, cLanguageTexts::ERROR_MSG_LINES));
  EXPECT_EQ(UrlLines(texts), Padded({}, cLanguageTexts::URL_LINES));
  EXPECT_EQ(Values(texts.GetVersionRect()), (std::vector<long>{0, 0, 0, 0}));
  EXPECT_EQ(Values(texts.GetStatusRect()), (std::vector<long>{0, 0, 0, 0}));
  EXPECT_EQ(Values(texts.GetDataInfoRect()), (std::vector<long>{0, 0, 0, 0}));
}

TEST(LanguageTexts, TextPositions) {
  struct Case {
    const char* title;
    std::string content;
    std::vector<long> version, status, dataInfo;
  };
  const std::vector<long> none = {0, 0, 0, 0};
  const std::string longToken = Chars('w', 300);
  const std::vector<Case> cases = {
      {"one key per line",
       "*VERSION 10 20 110 40\n*STATUS 1 2 3 4\n*DATAINFO 5 6 7 8\n",
       {10, 20, 110, 40}, {1, 2, 3, 4}, {5, 6, 7, 8}},
      {"CR LF, tabs and runs of separators", "*STATUS\t 1 \t2  3\t4\r\n*DATAINFO 5 6 7 8\r\n",
       none, {1, 2, 3, 4}, {5, 6, 7, 8}},
      {"missing values repeat the last token read", "*STATUS 10 20\n", none, {10, 20, 20, 20}, none},
      {"a key at the end of the line reads itself", "*VERSION\n1 2 3 4\n", none, none, none},
      {"a key at the end of the file reads itself", "*DATAINFO", none, none, none},
      {"a comment ends the line", "*STATUS 1 2 3 4 // *VERSION 5 6 7 8\n", none, {1, 2, 3, 4}, none},
      {"a comment glued to a key is all comment", "//*VERSION 1 2 3 4\n", none, none, none},
      {"keys behind other words", "text then *VERSION 7 8 9 10 //note\n", {7, 8, 9, 10}, none, none},
      {"several keys on one line", "*STATUS 1 2 3 4 *DATAINFO 5 6 7 8\n", none, {1, 2, 3, 4}, {5, 6, 7, 8}},
      {"a later key overrides", "*STATUS 1 2 3 4\n*STATUS 9 9 9 9\n", none, {9, 9, 9, 9}, none},
      {"values read as atoi reads them", "*STATUS -5 +6 7px abc\n", none, {-5, 6, 7, 0}, none},
      {"keys compare exactly", "*status 1 2 3 4\n*STATUSX 1 2 3 4\n", none, none, none},
      {"a 300-character token is cut and skipped whole", longToken + " *STATUS 1 2 3 4\n", none, {1, 2, 3, 4}, none},
      {"a 300-character value reads as its cut text", "*VERSION 1 2 3 " + Chars('7', 300) + " *STATUS 4 4 4 4\n",
       {1, 2, 3, 2147483647}, {4, 4, 4, 4}, none},
      {"numbers beyond the range are held at its ends", "*DATAINFO 99999999999 -99999999999 0 0\n",
       none, none, {2147483647, -2147483647 - 1, 0, 0}},
  };
  LanguageFolder folder;
  for (const Case& row : cases) {
    SCOPED_TRACE(row.title);
    cLanguageTexts texts = folder.Load({{"textpos.txt", row.content}});
    EXPECT_EQ(Values(texts.GetVersionRect()), row.version);
    EXPECT_EQ(Values(texts.GetStatusRect()), row.status);
    EXPECT_EQ(Values(texts.GetDataInfoRect()), row.dataInfo);
  }
}

TEST(LanguageTexts, NextTokenSplitsAtSpaceTabAndLineFeed) {
  struct Case {
    const char* title;
    std::string line;
    std::vector<std::string> tokens;
  };
  const std::vector<Case> cases = {
      {"plain words", "a bc d", {"a", "bc", "d"}},
      {"separators around and between", " \t a\t\tb \n", {"a", "b"}},
      {"carriage return and other characters belong to tokens", "a\rb c,d", {"a\rb", "c,d"}},
      {"only separators", " \t\n", {}},
      {"empty line", "", {}},
      {"a 255-character token fits", Chars('q', 255) + " r", {Chars('q', 255), "r"}},
      {"a 300-character token is cut to 255", Chars('q', 300) + " r", {Chars('q', 255), "r"}},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(row.title);
    std::vector<std::string> tokens;
    char token[cLanguageTexts::TOKEN_SIZE + 1];
    const char* pos = row.line.c_str();
    while (tokens.size() < 100) {
      memset(token, '#', sizeof(token));
      pos = cLanguageTexts::NextToken(pos, token);
      if (pos == nullptr) {
        break;
      }
      EXPECT_EQ(token[cLanguageTexts::TOKEN_SIZE], '#') << "written past the token buffer";
      tokens.push_back(token);
    }
    EXPECT_EQ(tokens, row.tokens);
  }
}

TEST(LanguageTexts, NextTokenLeavesTheTokenAloneWhenNoneIsLeft) {
  char token[cLanguageTexts::TOKEN_SIZE] = "kept";
  EXPECT_EQ(cLanguageTexts::NextToken(nullptr, token), nullptr);
  EXPECT_STREQ(token, "kept");
  EXPECT_EQ(cLanguageTexts::NextToken("  \t\n ", token), nullptr);
  EXPECT_STREQ(token, "kept");

  const char line[] = "  word rest";
  EXPECT_EQ(cLanguageTexts::NextToken(line, token), line + 6);
  EXPECT_STREQ(token, "word");
}

}  // namespace
