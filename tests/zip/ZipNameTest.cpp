// Entry names: every form that could write outside the target folder is refused with
// nothing written, harmless look-alikes are not, and names are converted as stored.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#ifdef _WIN32
#include <direct.h>
#include <windows.h>
#define chdir _chdir
#else
#include <unistd.h>
#endif

#include "TestArchive.h"
#include "TestFiles.h"
#include "zip/ZipArchive.h"
#include "zip/ZipPathComponent.h"

namespace {

using Tree = std::vector<std::string>;

// A placeholder in a name for the absolute path of the folder around dest.
const char kOuter[] = "<outer>";

struct NameCase {
  const char* label;
  std::string name;
};

void PrintTo(const NameCase& c, std::ostream* os) { *os << c.label; }

const NameCase kHostileNames[] = {
    {"parent at the start", "../evil.txt"},
    {"parent with backslashes", "..\\evil.txt"},
    {"parent in the middle", "a/../../evil.txt"},
    {"parent at the end", "a/.."},
    {"parent alone", ".."},
    {"parent folder entry", "../evil/"},
    {"parent with a trailing space", ".. /evil.txt"},
    {"three dots", ".../evil.txt"},
    {"current folder component", "./evil.txt"},
    {"absolute path", std::string(kOuter) + "/evil.txt"},
    {"absolute folder entry", std::string(kOuter) + "/evil/"},
    {"rooted backslash path", "\\evil.txt"},
    {"drive relative", "C:evil.txt"},
    {"drive absolute", "C:/evil.txt"},
    {"drive absolute with backslashes", "c:\\evil.txt"},
    {"drive folder entry", "C:/evil/"},
    {"UNC path", "\\\\server\\share\\evil.txt"},
    {"UNC path with slashes", "//server/share/evil.txt"},
    {"device path question mark", "\\\\?\\C:\\evil.txt"},
    {"device path dot", "\\\\.\\C:\\evil.txt"},
    {"device path with slashes", "//?/C:/evil.txt"},
    {"alternate data stream", "file.txt:stream"},
    {"the temporary of an entry", "data/x.txt.kqpart"},
    {"a temporary in upper case", "X.KQPART"},
    {"colon in a folder", "a:b/c.txt"},
    {"CON", "CON"},
    {"con with an extension", "con.txt"},
    {"PRN in a folder", "sub/PRN"},
    {"AUX with an extension", "AUX.dat"},
    {"NUL with two extensions", "nul.tar.gz"},
    {"COM1", "COM1"},
    {"COM9 with an extension", "com9.log"},
    {"LPT1", "LPT1"},
    {"LPT9 with an extension", "lpt9.txt"},
    {"device name with a trailing space", "CON .txt"},
    {"device name as a folder", "NUL/x.txt"},
    {"device folder entry", "CON/"},
    {"empty component", "a//b.txt"},
    {"empty component in a folder entry", "a//"},
    {"separator only", "/"},
    {"empty name", ""},
    {"zero byte inside", std::string("a\0../../evil.txt", 16)},
};

class ZipHostileName : public ::testing::TestWithParam<NameCase> {};

// Refused as a file and, with a trailing separator, as a folder, both below a given
// path and in the launcher's form (below the current folder): false, the cause, and
// nothing new anywhere around the target.
TEST_P(ZipHostileName, IsRefusedWithNothingWritten) {
  ScratchFolder outer("names");
  ScratchFolder dest(outer.Join("dest"));
  const std::string here = CurrentFolder();
  std::string name = GetParam().name;
  size_t placeholder = name.find(kOuter);
  if (placeholder != std::string::npos) name.replace(placeholder, sizeof(kOuter) - 1, here + "/names");

  for (bool asFolder : {false, true}) {
    for (bool launcherForm : {false, true}) {
      SCOPED_TRACE(std::string(asFolder ? "folder" : "file") + (launcherForm ? ", launcher form" : ", below a path"));
      TestEntry e;
      e.name = asFolder && (name.empty() || name.back() != '/') ? name + "/" : name;
      e.data = asFolder ? "" : "evil";
      e.externalAttr = asFolder ? 0x10 : 0x20;
      WriteBytes(outer.Join("archive.kqp"), BuildArchive({e}));

      CZipArchive zip;
      ASSERT_TRUE(zip.Open(outer.Join("archive.kqp").c_str()));
      bool extracted;
      if (launcherForm) {
        ASSERT_EQ(chdir(dest.Path().c_str()), 0);
        extracted = zip.ExtractFile(0, nullptr, true, nullptr, 65536);
        ASSERT_EQ(chdir(here.c_str()), 0);
      } else {
        extracted = zip.ExtractFile(0, dest.Path().c_str(), true, nullptr, 65536);
      }
      EXPECT_FALSE(extracted);
      EXPECT_EQ(zip.GetLastFailure().m_iCause, CZipException::unsafeName);
      EXPECT_EQ(ListTree(outer.Path()), (Tree{"archive.kqp", "dest/"}));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, ZipHostileName, ::testing::ValuesIn(kHostileNames),
                         [](const auto& info) { return TestNameFrom(info.param.label); });

const NameCase kHarmlessNames[] = {
    {"double dot inside a name", "a..b.txt"},
    {"leading dot", ".hidden"},
    {"leading double dot", "..a"},
    {"device name as a prefix", "CONSOLE.txt"},
    {"COM10", "COM10"},
    {"LPT0", "LPT0.txt"},
    {"NUL with a suffix", "nul_x"},
    {"COM without a digit", "COMx"},
    {"nested path", "dir/sub/file.txt"},
    {"folder entry", "folder/"},
};

class ZipHarmlessName : public ::testing::TestWithParam<NameCase> {};

TEST_P(ZipHarmlessName, IsExtracted) {
  ScratchFolder scratch("harmless");
  ScratchFolder dest(scratch.Join("dest"));
  TestEntry e;
  e.name = GetParam().name;
  e.data = e.name.back() == '/' ? "" : "fine";
  WriteBytes(scratch.Join("harmless.kqp"), BuildArchive({e}));
  CZipArchive zip;
  ASSERT_TRUE(zip.Open(scratch.Join("harmless.kqp").c_str()));
  EXPECT_TRUE(zip.ExtractFile(0, dest.Path().c_str(), true, nullptr, 65536)) << zip.GetLastFailure().GetCauseText();
  EXPECT_FALSE(ListTree(dest.Path()).empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, ZipHarmlessName, ::testing::ValuesIn(kHarmlessNames),
                         [](const auto& info) { return TestNameFrom(info.param.label); });

// Names come back with "\" separators; DOS names are converted from the OEM to the
// ANSI code page on Windows, while other systems' names keep their bytes.
struct ConversionCase {
  const char* label;
  uint16_t madeBy;
  std::string stored;
  std::string expected;
};

void PrintTo(const ConversionCase& c, std::ostream* os) { *os << c.label; }

std::vector<ConversionCase> ConversionCases() {
  std::vector<ConversionCase> cases = {
      {"slashes", 0x0314, "a/b/c.txt", "a\\b\\c.txt"},
      {"backslashes kept", 0x0A14, "a\\b.txt", "a\\b.txt"},
      {"Unix name bytes kept", 0x0314, "caf\x82.txt", "caf\x82.txt"},
  };
  std::string dosExpected = "caf\x82.txt";
#ifdef _WIN32
  // 0x82 is e-acute in code page 437 and 0xE9 in code page 1252.
  if (GetOEMCP() == 437 && GetACP() == 1252) dosExpected = "caf\xE9.txt";
#endif
  cases.push_back({"DOS name", 0x0014, "caf\x82.txt", dosExpected});
  return cases;
}

class ZipNameConversion : public ::testing::TestWithParam<ConversionCase> {};

TEST_P(ZipNameConversion, ConvertsOnce) {
  const ConversionCase& c = GetParam();
  TestEntry e;
  e.name = c.stored;
  e.madeBy = c.madeBy;
  e.data = "x";
  ScratchFolder scratch("conversion");
  WriteBytes(scratch.Join("conversion.kqp"), BuildArchive({e}));
  CZipArchive zip;
  ASSERT_TRUE(zip.Open(scratch.Join("conversion.kqp").c_str()));
  CZipFileHeader header;
  ASSERT_TRUE(zip.GetFileInfo(header, 0));
  EXPECT_EQ(std::string(header.GetFileName()), c.expected);
  // Reading the header again gives the same name: it is converted once, when read.
  ASSERT_TRUE(zip.GetFileInfo(header, 0));
  EXPECT_EQ(std::string(header.GetFileName()), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, ZipNameConversion, ::testing::ValuesIn(ConversionCases()),
                         [](const auto& info) { return TestNameFrom(info.param.label); });

// Splitting a path into drive, folders, base name and extension.
struct SplitCase {
  const char* label;
  const char* path;
  const char* drive;
  const char* folders;
  const char* base;
  const char* extension;
};

void PrintTo(const SplitCase& c, std::ostream* os) { *os << c.label; }

class ZipPathSplit : public ::testing::TestWithParam<SplitCase> {};

TEST_P(ZipPathSplit, FindsEachPart) {
  const SplitCase& c = GetParam();
  CZipPathComponent path(c.path);
  EXPECT_EQ(path.GetFileDrive(), c.drive);
  EXPECT_EQ(path.GetFileDir(), c.folders);
  EXPECT_EQ(path.GetFileBase(), c.base);
  EXPECT_EQ(path.GetFileExt(), c.extension);
  EXPECT_EQ(path.GetFullPath(), c.path);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ZipPathSplit,
    ::testing::Values(SplitCase{"entry name", "data\\ui\\x.bmp", "", "data\\ui\\", "x", "bmp"},
                      SplitCase{"forward slashes", "data/ui/x.tar.gz", "", "data/ui/", "x.tar", "gz"},
                      SplitCase{"drive", "C:\\game\\KQVerInfo.ver", "C:", "\\game\\", "KQVerInfo", "ver"},
                      SplitCase{"UNC share", "\\\\server\\share\\f.txt", "\\\\server\\share", "\\", "f", "txt"},
                      SplitCase{"no extension", "dir\\README", "", "dir\\", "README", ""},
                      SplitCase{"leading dot is not an extension", ".hidden", "", "", ".hidden", ""},
                      SplitCase{"folder", "a\\b\\", "", "a\\b\\", "", ""}),
    [](const auto& info) { return TestNameFrom(info.param.label); });

}  // namespace
