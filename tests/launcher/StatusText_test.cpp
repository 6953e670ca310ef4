// The status line per step, the bar fraction, the data line and the error texts.
#include "launcher/StatusText.h"
#include "tests/launcher/LanguageTestFiles.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

const unsigned MB = 1024 * 1024;

TEST(StatusText, StepTexts) {
  // Ten lines: the steps 0 to 3 have texts (lines 6 to 9), step 4 (line 10) has none.
  std::string patchMsg;
  for (int i = 0; i < 10; ++i) {
    patchMsg += "line" + std::to_string(i) + "\n";
  }
  LanguageFolder folder;
  cLanguageTexts texts = folder.Load({{"PatchMsg.txt", patchMsg}});
  struct Case {
    int step;
    std::string text;
  };
  const std::vector<Case> cases = {
      {0, "line6"}, {1, "line7"}, {2, "line8"}, {3, "line9"}, {4, ""}, {-1, ""}, {5, ""}, {8, ""}, {INT_MIN, ""},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(row.step);
    EXPECT_EQ(StepStatusText(texts, row.step), row.text);
  }
  EXPECT_STREQ(texts.GetPatchMsg(14), "") << "the caption line";
}

TEST(StatusText, StepTextIsCutTo127Characters) {
  LanguageFolder folder;
  cLanguageTexts texts =
      folder.Load({{"PatchMsg.txt", "0\n1\n2\n3\n4\n5\n" + std::string(200, 'a') + "\nshort\n" + std::string(127, 'b')}});
  EXPECT_EQ(StepStatusText(texts, 0), std::string(127, 'a'));
  EXPECT_EQ(StepStatusText(texts, 1), "short");
  EXPECT_EQ(StepStatusText(texts, 2), std::string(127, 'b'));
}

TEST(StatusText, ProgressFraction) {
  struct Case {
    unsigned value, total;
    float fraction;
  };
  const std::vector<Case> cases = {
      {0, 0, 0.0f},           {123, 0, 0.0f},          {0, 10, 0.0f},    {1, 2, 0.5f},  {10, 10, 1.0f},
      {15, 10, 1.5f},         {UINT_MAX, UINT_MAX, 1.0f}, {UINT_MAX / 2 + 1, UINT_MAX, 0.5f},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(std::to_string(row.value) + " of " + std::to_string(row.total));
    EXPECT_FLOAT_EQ(ProgressFraction(row.value, row.total), row.fraction);
  }
}

TEST(StatusText, DownloadText) {
  struct Case {
    unsigned total, done;
    const char* name;
    std::string text;
  };
  const std::string longName(1100, 'n');
  const std::vector<Case> cases = {
      {3 * MB, 3 * MB / 2, "a.kqp", "a.kqp 1.50 MB / 3.00 MB"},
      {3 * MB, 3 * MB / 2, nullptr, "1.50 MB / 3.00 MB"},
      {0, 5 * MB, "a.kqp", ""},
      {0, 0, nullptr, ""},
      {MB, 0, "b.kqp", "b.kqp 0.00 MB / 1.00 MB"},
      {1000, 500, "tiny", "tiny 0.00 MB / 0.00 MB"},
      {UINT_MAX, UINT_MAX, "", " 4096.00 MB / 4096.00 MB"},
      {MB, MB, longName.c_str(), longName.substr(0, 1023)},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(std::to_string(row.done) + " of " + std::to_string(row.total));
    EXPECT_EQ(FormatDownloadText(row.total, row.done, row.name), row.text);
  }
}

TEST(StatusText, ErrorTexts) {
  LanguageFolder folder;
  cLanguageTexts texts = folder.Load({{"ErrorMsg.txt", "e0\ne1\ne2\n100% %s %d %n\ne4\n\ne6\n"}});
  struct Case {
    unsigned code;
    std::string text;
  };
  const std::vector<Case> cases = {
      {0, "e0"},
      {1, "e1"},
      {2, "e2"},
      {3, "100% %s %d %n"},
      {4, "e4"},
      {5, ""},
      {6, "Fail to write the version file."},
      {7, "e6"},
      {8, "Initialize  Error."},
      {9, "Unknown Error"},
      {UINT_MAX, "Unknown Error"},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(row.code);
    EXPECT_EQ(PatchErrorText(texts, row.code), row.text);
  }
}

TEST(StatusText, ErrorTextsWithoutLanguageFile) {
  LanguageFolder folder;
  cLanguageTexts texts = folder.Load({});
  EXPECT_EQ(PatchErrorText(texts, 0), "");
  EXPECT_EQ(PatchErrorText(texts, 7), "");
  EXPECT_EQ(PatchErrorText(texts, 6), "Fail to write the version file.");
}

}  // namespace
