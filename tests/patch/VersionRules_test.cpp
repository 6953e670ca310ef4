// The version rules: numbers, the server record, the decision and the file names.
#include "patch/VersionRules.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(VersionRules, ReadVersionNumberReadsLikeAtoiWithinEightCharacters) {
  const struct {
    const char* text;
    int value;
  } cases[] = {
      {"00000123", 123},   {" 0000123", 123}, {"+0000123", 123}, {"-0000005", -5}, {"12ab5678", 12},
      {"123456789", 12345678}, {"99999999", 99999999}, {"", 0}, {"abcdefgh", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(ReadVersionNumber(c.text), c.value) << c.text;
}

TEST(VersionRules, ParseServerRecordTakesExactly21Bytes) {
  ServerRecord record;
  EXPECT_TRUE(ParseServerRecord("KQZV00000200X00000100", 21, &record));
  EXPECT_STREQ(record.version, "KQZV00000200");
  EXPECT_STREQ(record.base, "00000100");
  EXPECT_FALSE(ParseServerRecord("KQZV00000200 0000010", 20, &record));
  EXPECT_FALSE(ParseServerRecord("KQZV00000200 000001000", 22, &record));
  EXPECT_FALSE(ParseServerRecord(nullptr, 21, &record));
}

TEST(VersionRules, DecideVersion) {
  const struct {
    const char* name;
    const char* local;
    const char* record;
    VersionDecision decision;
  } cases[] = {
      {"same version", "KQZV00000100", "KQZV00000100 00000050", VERSION_UP_TO_DATE},
      {"the separator is never looked at", "KQZV00000100", "KQZV00000100#00000050", VERSION_UP_TO_DATE},
      {"newer on the server", "KQZV00000150", "KQZV00000200 00000100", VERSION_PATCH_DUE},
      {"the base version itself", "KQZV00000100", "KQZV00000200 00000100", VERSION_PATCH_DUE},
      {"one below the base", "KQZV00000099", "KQZV00000200 00000100", VERSION_TOO_OLD},
      {"server older", "KQZV00000300", "KQZV00000200 00000100", VERSION_SERVER_OLDER},
      {"another prefix", "KQZW00000150", "KQZV00000200 00000100", VERSION_PREFIX_DIFFERS},
      {"prefixes compare with case", "kqzv00000100", "KQZV00000100 00000050", VERSION_PREFIX_DIFFERS},
      {"a space instead of a zero is no match", "KQZV 0000100", "KQZV00000100 00000050", VERSION_PATCH_DUE},
      {"a sign instead of a zero is no match", "KQZV+0000100", "KQZV00000100 00000050", VERSION_PATCH_DUE},
      {"a shorter local string", "KQZV0000", "KQZV00000200 00000100", VERSION_TOO_OLD},
      {"a base that is no number", "KQZV00000001", "KQZV00000200 abcdefgh", VERSION_PATCH_DUE},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ServerRecord record;
    ASSERT_TRUE(ParseServerRecord(c.record, 21, &record));
    EXPECT_EQ(DecideVersion(c.local, record), c.decision);
  }
}

TEST(VersionRules, FileNames) {
  char out[260];
  MakeRecordName("KQZV00000150", out, sizeof(out));
  EXPECT_STREQ(out, "KQZVKQVerInfo_New.ver");
  MakeRecordName("AB", out, sizeof(out));
  EXPECT_STREQ(out, "ABKQVerInfo_New.ver");
  MakeRecordPath("KQZV00000150", out, sizeof(out));
  EXPECT_STREQ(out, "ClientPatchFiles_ZV/KQZVKQVerInfo_New.ver");
  MakeArchivePath("KQZV00000150", out, sizeof(out));
  EXPECT_STREQ(out, "ClientPatchFiles_ZV/KQZV00000150.kqp");
  MakeArchiveName("KQZV00000150", out, sizeof(out));
  EXPECT_STREQ(out, "KQZV00000150.kqp");
}

TEST(VersionRules, TheFullArchiveKeepsThePrefixWhateverTheNumber) {
  for (const char* start : {"KQZV00000150", "KQZV99999999", "KQZV 0000001"}) {
    char local[VERSION_LENGTH + 1] = {};
    std::memcpy(local, start, VERSION_LENGTH);
    MakeFullArchiveVersion(local);
    EXPECT_STREQ(local, "KQZV00000000") << start;
    char name[260];
    MakeArchiveName(local, name, sizeof(name));
    EXPECT_STREQ(name, "KQZV00000000.kqp");
  }
}

// Which version strings may name the local archive and record. Each unsafe one
// would make a name that reaches outside the game folder, or no plain file.
TEST(VersionRules, OnlyAPlainFileNameVersionIsSafe) {
  struct Case {
    const char* version;
    bool safe;
  };
  const Case cases[] = {
      {"KQZV00000100", true},
      {"KQZV 0000100", true},   // a space in the digit field is only another string
      {"KQZV", true},           // a zero byte ends the string early
      {"kq.v00000100", true},
      {"KQZV\\..\\..\\a", false},
      {"KQZV/../../a", false},
      {"C:\\Windows\\x", false},
      {"KQZV0000:100", false},
      {"KQZV\t0000100", false},
      {"KQZV0000\x7f" "100", false},
      {"KQZV00*00100", false},
      {"KQZV00?00100", false},
      {"..", false},
      {". . ", false},
      {"NUL.00000100", false},  // the archive "NUL.00000100.kqp" is the device NUL
      {"AUX.", false},          // and so is the record "AUX.KQVerInfo_New.ver"
      {"", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.version);
    EXPECT_EQ(IsSafeVersionString(c.version), c.safe);
  }
}

}  // namespace

