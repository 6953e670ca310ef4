// Reading the local version file and replacing it with the record a patch delivered.
#include "net/WinHandle.h"
#include "patch/VersionFile.h"
#include "patch/VersionRules.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// A fresh folder, current while the case runs.
class Folder {
public:
  explicit Folder(const std::string& name) {
    m_previous = fs::current_path();
    fs::path path = m_previous / name;
    std::error_code ignored;
    for (const auto& entry : fs::recursive_directory_iterator(path, ignored)) {
      SetFileAttributesA(entry.path().string().c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    fs::remove_all(path, ignored);
    fs::create_directories(path);
    fs::current_path(path);
  }
  ~Folder() { fs::current_path(m_previous); }

private:
  fs::path m_previous;
};

void Write(const std::string& name, const std::string& bytes) {
  std::ofstream(name, std::ios::binary) << bytes;
}

std::string Read(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

WinHandle OpenWithoutSharing(const char* name) {
  return WinHandle(CreateFileA(name, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

struct ReadCase {
  const char* name;
  const char* bytes;  // nullptr: no file
  size_t size;
  bool heldOpen;
  int result;
  const char* version;
};

TEST(ReadVersionFile, Table) {
  const ReadCase cases[] = {
      {"12 bytes", "KQZV00000100", 12, false, 1, "KQZV00000100"},
      {"21 bytes as left by a patch", "KQZV00000100 00000050", 21, false, 1, "KQZV00000100"},
      {"11 bytes", "KQZV0000010", 11, false, 0, ""},
      {"empty", "", 0, false, 0, ""},
      {"a zero byte ends the string", "KQZV\0000000100", 12, false, 1, "KQZV"},
      {"no file", nullptr, 0, false, 0, ""},
      {"opened elsewhere", "KQZV00000100", 12, true, 0, ""},
  };
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(c.name);
    Folder folder("read");
    if (c.bytes) Write(VERSION_FILE_NAME, std::string(c.bytes, c.size));
    WinHandle other;
    if (c.heldOpen) other = OpenWithoutSharing(VERSION_FILE_NAME);
    char out[VERSION_LENGTH + 1];
    std::memset(out, 0, sizeof(out));
    EXPECT_EQ(ReadVersionFile(VERSION_FILE_NAME, VERSION_LENGTH, out), c.result);
    EXPECT_STREQ(out, c.version);
  }
}

struct ReplaceCase {
  const char* name;
  bool record;       // the delivered record is in the folder
  bool oldVersion;   // an old version file is in the folder
  bool heldOpen;     // the old version file is open elsewhere without sharing
  bool result;
};

TEST(ReplaceVersionFile, Table) {
  const std::string record = "KQZV00000200 00000100";
  const std::string old = "KQZV00000150";
  const ReplaceCase cases[] = {
      {"replaces the old file", true, true, false, true},
      {"no old file", true, false, false, true},
      {"no record", false, true, false, false},
      {"an old file in use is kept", true, true, true, false},
  };
  for (const ReplaceCase& c : cases) {
    SCOPED_TRACE(c.name);
    Folder folder("replace");
    if (c.record) Write("KQZVKQVerInfo_New.ver", record);
    if (c.oldVersion) Write(VERSION_FILE_NAME, old);
    WinHandle other;
    if (c.heldOpen) other = OpenWithoutSharing(VERSION_FILE_NAME);
    EXPECT_EQ(ReplaceVersionFile("KQZVKQVerInfo_New.ver"), c.result);
    other.Reset();
    if (c.result) {
      EXPECT_EQ(Read(VERSION_FILE_NAME), record);
      EXPECT_FALSE(fs::exists("KQZVKQVerInfo_New.ver"));
    } else {
      EXPECT_EQ(Read(VERSION_FILE_NAME), old) << "the old version file is kept";
      EXPECT_EQ(fs::exists("KQZVKQVerInfo_New.ver"), c.record);
    }
  }
}

// What the version file's attributes were when the replacement moved the record.
DWORD g_attributesAtMove = INVALID_FILE_ATTRIBUTES;

BOOL WINAPI RecordingMover(const char* from, const char* to) {
  g_attributesAtMove = GetFileAttributesA(to);
  return MoveVersionFile(from, to);
}

// Windows refuses to move a file over a read-only one (Wine lets it), so what counts
// is that the attribute is gone when the move is made.
TEST(ReplaceVersionFile, ClearsAReadOnlyVersionFileBeforeTheMove) {
  Folder folder("replace read-only");
  Write("KQZVKQVerInfo_New.ver", "KQZV00000200 00000100");
  Write(VERSION_FILE_NAME, "KQZV00000150");
  ASSERT_TRUE(SetFileAttributesA(VERSION_FILE_NAME, FILE_ATTRIBUTE_READONLY));
  g_attributesAtMove = INVALID_FILE_ATTRIBUTES;
  EXPECT_TRUE(ReplaceVersionFile("KQZVKQVerInfo_New.ver", RecordingMover));
  ASSERT_NE(g_attributesAtMove, INVALID_FILE_ATTRIBUTES) << "the mover was not called";
  EXPECT_EQ(g_attributesAtMove & FILE_ATTRIBUTE_READONLY, 0u);
  EXPECT_EQ(Read(VERSION_FILE_NAME), "KQZV00000200 00000100");
}

// A delivered record whose version string would name files outside the game folder
// (or no plain file at all) never becomes the version file.
TEST(ReplaceVersionFile, ARecordThatWouldNameOtherFilesIsRefused) {
  const std::string old = "KQZV00000150";
  const std::vector<std::string> records = {
      "KQZV\\..\\..\\a 00000100", "KQZV/../../a 00000100", "C:\\Windows\\a 00000100", "KQZV0000\x01\x02\x03 00000100",
      "..\\00000200 00000100",    "NUL.00000200 00000100", "KQZV0000020",         "KQZV0000:200 00000100",
  };
  for (const std::string& record : records) {
    SCOPED_TRACE(record);
    Folder folder("replace hostile");
    Write("KQZVKQVerInfo_New.ver", record);
    Write(VERSION_FILE_NAME, old);
    EXPECT_FALSE(ReplaceVersionFile("KQZVKQVerInfo_New.ver"));
    EXPECT_EQ(Read(VERSION_FILE_NAME), old);
  }
}

}  // namespace
