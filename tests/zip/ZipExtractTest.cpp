// Unpacking entries: content through both methods, folders, target paths, time and
// attributes, and damaged entries that must fail without touching what was there.
#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <sys/stat.h>
#include <vector>

#ifdef _WIN32
#include <direct.h>
#define chdir _chdir
#else
#include <unistd.h>
#endif

#include "TestArchive.h"
#include "TestFiles.h"
#include "zip/ZipArchive.h"
#include "zip/ZipPlatform.h"

namespace {

using Tree = std::vector<std::string>;

// A scratch folder holding archive.kqp, opened, and an empty dest/ to unpack into.
class Workspace {
 public:
  explicit Workspace(const std::vector<TestEntry>& entries, const TestArchiveOptions& options = {})
      : m_scratch("extract"), m_dest(m_scratch.Join("dest")) {
    WriteBytes(m_scratch.Join("archive.kqp"), BuildArchive(entries, options));
    m_opened = zip.Open(m_scratch.Join("archive.kqp").c_str());
  }
  bool Opened() const { return m_opened; }
  std::string Dest() const { return m_dest.Path(); }
  std::string InDest(const std::string& relative) const { return m_dest.Join(relative); }
  Tree DestTree() const { return ListTree(m_dest.Path()); }
  bool Extract(int index = 0, size_t bufferSize = 65536) {
    return zip.ExtractFile(index, m_dest.Path().c_str(), true, nullptr, bufferSize);
  }
  int Cause() const { return zip.GetLastFailure().m_iCause; }

  CZipArchive zip;

 private:
  ScratchFolder m_scratch;
  ScratchFolder m_dest;
  bool m_opened = false;
};

TestEntry Entry(const std::string& name, const std::string& data, uint16_t method) {
  TestEntry e;
  e.name = name;
  e.data = data;
  e.method = method;
  return e;
}

struct ContentCase {
  const char* label;
  uint16_t method;
  size_t size;
  bool text;
  bool dataDescriptor;
  size_t bufferSize;
};

void PrintTo(const ContentCase& c, std::ostream* os) { *os << c.label; }

const ContentCase kContentCases[] = {
    {"empty stored", 0, 0, true, false, 65536},
    {"empty deflated", 8, 0, true, false, 65536},
    {"small text deflated", 8, 5000, true, false, 65536},
    {"binary stored", 0, 70000, false, false, 65536},
    {"text over many input chunks", 8, 900000, true, false, 65536},
    {"incompressible data deflated", 8, 200000, false, false, 65536},
    {"stored, one byte at a time", 0, 3000, false, false, 1},
    {"deflated, odd buffer", 8, 100000, true, false, 777},
    {"deflated with a data descriptor", 8, 40000, true, true, 65536},
    {"stored with a data descriptor", 0, 40000, false, true, 65536},
};

class ZipContent : public ::testing::TestWithParam<ContentCase> {};

TEST_P(ZipContent, ExtractsByteForByte) {
  const ContentCase& c = GetParam();
  TestEntry e = Entry("file.bin", MakeContent(c.size, 7, c.text), c.method);
  e.dataDescriptor = c.dataDescriptor;
  Workspace w({e});
  ASSERT_TRUE(w.Opened());
  EXPECT_TRUE(w.Extract(0, c.bufferSize)) << w.zip.GetLastFailure().GetCauseText();
  EXPECT_EQ(w.Cause(), CZipException::noError);
  EXPECT_EQ(ReadBytes(w.InDest("file.bin")), e.data);
  EXPECT_EQ(w.DestTree(), Tree{"file.bin"});
}

INSTANTIATE_TEST_SUITE_P(Cases, ZipContent, ::testing::ValuesIn(kContentCases),
                         [](const auto& info) { return TestNameFrom(info.param.label); });

// A damaged entry fails, reports why, and leaves the file it would have replaced as
// it was, with no temporary file beside it.
struct DamageCase {
  const char* label;
  void (*damage)(TestEntry&);
  int cause;
};

void PrintTo(const DamageCase& c, std::ostream* os) { *os << c.label; }

const DamageCase kDamageCases[] = {
    {"CRC mismatch, deflated", [](TestEntry& e) { e.crc = 0x12345678; }, CZipException::badCrc},
    {"CRC mismatch, stored", [](TestEntry& e) { e.method = 0; e.crc = 0x12345678; }, CZipException::badCrc},
    {"CRC mismatch behind a data descriptor",
     [](TestEntry& e) { e.dataDescriptor = true; e.crc = 1; }, CZipException::badCrc},
    {"damaged deflate stream", [](TestEntry& e) { e.storedData = std::string(64, '\xFF'); },
     CZipException::dataError},
    {"deflate stream cut short",
     [](TestEntry& e) {
       std::string full = Deflate(e.data);
       e.storedData = full.substr(0, full.size() / 2);
     },
     CZipException::shortEntry},
    {"stored data shorter than its size",
     [](TestEntry& e) { e.method = 0; e.storedData = e.data.substr(0, 100); }, CZipException::shortEntry},
    {"4 GiB announced for a few bytes",
     [](TestEntry& e) { e.dataDescriptor = true; e.centralSize = 0xFFFFFFFF; }, CZipException::shortEntry},
    {"compressed size past the end of the file",
     [](TestEntry& e) { e.dataDescriptor = true; e.centralCompressedSize = 0xFFFFFFF0; },
     CZipException::shortEntry},
    {"bad local header signature", [](TestEntry& e) { e.localSignature = 0x04034B51; },
     CZipException::badLocalHeader},
    {"local method differs", [](TestEntry& e) { e.localMethod = 0; }, CZipException::badLocalHeader},
    {"local size differs", [](TestEntry& e) { e.localSize = 4001; }, CZipException::badLocalHeader},
    {"local header past the end of the file", [](TestEntry& e) { e.localOffset = 0x10000000; },
     CZipException::badLocalHeader},
    {"unsupported method", [](TestEntry& e) { e.method = 12; e.storedData = e.data; },
     CZipException::unsupportedMethod},
    {"encrypted entry", [](TestEntry& e) { e.flags = 1; }, CZipException::encrypted},
};

class ZipDamage : public ::testing::TestWithParam<DamageCase> {};

TEST_P(ZipDamage, FailsAndKeepsTheOldFile) {
  const DamageCase& c = GetParam();
  TestEntry e = Entry("victim.txt", MakeContent(4000, 8, true), 8);
  c.damage(e);
  for (bool oldFile : {true, false}) {
    SCOPED_TRACE(oldFile ? "over an old file" : "as a new file");
    Workspace w({e});
    ASSERT_TRUE(w.Opened());
    if (oldFile) WriteBytes(w.InDest("victim.txt"), "precious");

    EXPECT_FALSE(w.Extract());
    EXPECT_EQ(w.Cause(), c.cause) << w.zip.GetLastFailure().GetCauseText();
    EXPECT_STREQ(w.zip.GetLastFailure().m_szFileName.c_str(), "victim.txt");
    if (oldFile) {
      EXPECT_EQ(ReadBytes(w.InDest("victim.txt")), std::string("precious"));
      EXPECT_EQ(w.DestTree(), Tree{"victim.txt"});
    } else {
      EXPECT_EQ(w.DestTree(), Tree{});
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, ZipDamage, ::testing::ValuesIn(kDamageCases),
                         [](const auto& info) { return TestNameFrom(info.param.label); });

// An existing file is replaced. A temporary that an interrupted run left under the
// name the entry is written through neither stops it nor stays.
TEST(ZipExtract, ReplacesAnExistingFile) {
  TestEntry e = Entry("data/x.txt", "new content", 8);
  Workspace w({e});
  ASSERT_TRUE(w.Opened());
  ASSERT_TRUE(w.Extract());
  WriteBytes(w.InDest("data/x.txt"), "old content that is longer");
  WriteBytes(w.InDest("data/x.txt.kqpart"), "left by a crash");
  EXPECT_TRUE(w.Extract());
  EXPECT_EQ(ReadBytes(w.InDest("data/x.txt")), std::string("new content"));
  EXPECT_EQ(w.DestTree(), (Tree{"data/", "data/x.txt"}));
}

// Every file, new or replacing, is written under the temporary name: while its data
// arrive, nothing but the temporary exists under the target's folder, so a crash can
// never leave part of an entry under its final name.
class FolderWatch : public CZipExtractObserver {
 public:
  explicit FolderWatch(const Workspace& w) : m_w(w) {}
  bool OnExtracted(size_t bytes) override {
    seen.push_back(std::to_string(bytes) + ":" + Join(m_w.DestTree()));
    return true;
  }
  static std::string Join(const Tree& tree) {
    std::string text;
    for (const std::string& name : tree) text += name + ";";
    return text;
  }
  std::vector<std::string> seen;

 private:
  const Workspace& m_w;
};

TEST(ZipExtract, AFileIsWrittenUnderItsTemporaryNameUntilItIsWhole) {
  const std::string data = MakeContent(150000, 3, true);
  for (bool oldFile : {false, true}) {
    SCOPED_TRACE(oldFile ? "replacing a file" : "a new file");
    Workspace w({Entry("data/big.bin", data, 8)});
    ASSERT_TRUE(w.Opened());
    ASSERT_TRUE(ZipPlatform::MakeDirectoryTree(w.InDest("data")));
    if (oldFile) WriteBytes(w.InDest("data/big.bin"), "old");
    FolderWatch watch(w);
    ASSERT_TRUE(w.zip.ExtractFile(0, w.Dest().c_str(), true, nullptr, 65536, &watch));
    const std::string during = oldFile ? "data/;data/big.bin;data/big.bin.kqpart;" : "data/;data/big.bin.kqpart;";
    EXPECT_EQ(watch.seen, (std::vector<std::string>{"65536:" + during, "131072:" + during, "150000:" + during}));
    EXPECT_EQ(ReadBytes(w.InDest("data/big.bin")), data);
    EXPECT_EQ(w.DestTree(), (Tree{"data/", "data/big.bin"}));
  }
}

// An observer that stops the entry part-way: it fails as cancelled and leaves what was
// there.
TEST(ZipExtract, AStopByTheObserverLeavesNothingBehind) {
  class StopAtSecond : public CZipExtractObserver {
   public:
    bool OnExtracted(size_t bytes) override { return bytes < 65536 * 2; }
  } stop;
  Workspace w({Entry("big.bin", MakeContent(200000, 4, true), 8)});
  ASSERT_TRUE(w.Opened());
  WriteBytes(w.InDest("big.bin"), "precious");
  EXPECT_FALSE(w.zip.ExtractFile(0, w.Dest().c_str(), true, nullptr, 65536, &stop));
  EXPECT_EQ(w.Cause(), CZipException::cancelled);
  EXPECT_EQ(ReadBytes(w.InDest("big.bin")), std::string("precious"));
  EXPECT_EQ(w.DestTree(), Tree{"big.bin"});
}

struct FolderCase {
  const char* label;
  std::string name;
  uint16_t madeBy;
  uint32_t externalAttr;
  Tree expected;
};

void PrintTo(const FolderCase& c, std::ostream* os) { *os << c.label; }

class ZipFolder : public ::testing::TestWithParam<FolderCase> {};

TEST_P(ZipFolder, CreatesTheFolderWithoutReadingData) {
  const FolderCase& c = GetParam();
  TestEntry e = Entry(c.name, "", 0);
  e.madeBy = c.madeBy;
  e.externalAttr = c.externalAttr;
  // A folder's data is never read: a broken local header must not matter.
  e.localSignature = 0;
  Workspace w({e});
  ASSERT_TRUE(w.Opened());
  CZipFileHeader header;
  ASSERT_TRUE(w.zip.GetFileInfo(header, 0));
  EXPECT_TRUE(header.IsDirectory());
  EXPECT_TRUE(w.Extract());
  EXPECT_EQ(w.DestTree(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ZipFolder,
    ::testing::Values(FolderCase{"DOS folder with no attributes", "dir/", 0x0014, 0, {"dir/"}},
                      FolderCase{"nested folders", "a/b/c/", 0x0014, 0x10, {"a/", "a/b/", "a/b/c/"}},
                      FolderCase{"Unix folder", "unix/", 0x031E, (040755u << 16) | 0x10, {"unix/"}},
                      FolderCase{"folder by attribute only", "plain", 0x0014, 0x10, {"plain/"}},
                      FolderCase{"backslash folder", "win\\sub\\", 0x0A14, 0x10, {"win/", "win/sub/"}}),
    [](const auto& info) { return TestNameFrom(info.param.label); });

TEST(ZipExtract, ForwardSlashesBecomeFoldersAndBackslashNames) {
  Workspace w({Entry("data/ui/x.bmp", "bitmap", 8)});
  ASSERT_TRUE(w.Opened());
  CZipFileHeader header;
  ASSERT_TRUE(w.zip.GetFileInfo(header, 0));
  EXPECT_STREQ(header.GetFileName(), "data\\ui\\x.bmp");
  EXPECT_TRUE(w.Extract());
  EXPECT_EQ(w.DestTree(), (Tree{"data/", "data/ui/", "data/ui/x.bmp"}));
  EXPECT_EQ(ReadBytes(w.InDest("data/ui/x.bmp")), std::string("bitmap"));
}

// Where an entry lands for each way of naming the target.
struct TargetCase {
  const char* label;
  bool withPath;  // below dest, or (like the launcher) below the current folder
  bool trailingSeparator;
  bool fullPath;
  const char* newName;
  Tree expected;
};

void PrintTo(const TargetCase& c, std::ostream* os) { *os << c.label; }

class ZipTarget : public ::testing::TestWithParam<TargetCase> {};

TEST_P(ZipTarget, WritesWhereAsked) {
  const TargetCase& c = GetParam();
  Workspace w({Entry("data/ui/x.bmp", "bitmap", 8)});
  ASSERT_TRUE(w.Opened());
  bool ok;
  if (c.withPath) {
    std::string path = w.Dest() + (c.trailingSeparator ? "/" : "");
    ok = w.zip.ExtractFile(0, path.c_str(), c.fullPath, c.newName, 65536);
  } else {
    std::string here = CurrentFolder();
    ASSERT_EQ(chdir(w.Dest().c_str()), 0);
    ok = w.zip.ExtractFile(0, nullptr, c.fullPath, c.newName, 65536);
    ASSERT_EQ(chdir(here.c_str()), 0);
  }
  EXPECT_TRUE(ok);
  EXPECT_EQ(w.DestTree(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ZipTarget,
    ::testing::Values(
        TargetCase{"launcher form below the current folder", false, false, true, nullptr,
                   {"data/", "data/ui/", "data/ui/x.bmp"}},
        TargetCase{"below a path", true, false, true, nullptr, {"data/", "data/ui/", "data/ui/x.bmp"}},
        TargetCase{"below a path with a separator", true, true, true, nullptr, {"data/", "data/ui/", "data/ui/x.bmp"}},
        TargetCase{"name only", true, false, false, nullptr, {"x.bmp"}},
        TargetCase{"new name", true, false, true, "renamed.bin", {"renamed.bin"}}),
    [](const auto& info) { return TestNameFrom(info.param.label); });

TEST(ZipExtract, DataInFrontOfTheArchiveIsSkipped) {
  TestArchiveOptions options;
  options.prefix = MakeContent(7000, 9, false);
  TestEntry e = Entry("a.txt", MakeContent(3000, 10, true), 8);
  Workspace w({e}, options);
  ASSERT_TRUE(w.Opened());
  EXPECT_TRUE(w.Extract());
  EXPECT_EQ(ReadBytes(w.InDest("a.txt")), e.data);
}

TEST(ZipExtract, DosTimeBecomesLocalModificationTime) {
  TestEntry e = Entry("dated.txt", "x", 8);
  e.dosDate = DosDate(2008, 2, 29);
  e.dosTime = DosTime(12, 34, 56);
  Workspace w({e});
  ASSERT_TRUE(w.Opened());
  ASSERT_TRUE(w.Extract());
  struct stat info;
  ASSERT_EQ(stat(w.InDest("dated.txt").c_str(), &info), 0);
  time_t modified = info.st_mtime;
  struct tm* local = localtime(&modified);
  ASSERT_NE(local, nullptr);
  EXPECT_EQ(local->tm_year, 108);
  EXPECT_EQ(local->tm_mon, 1);
  EXPECT_EQ(local->tm_mday, 29);
  EXPECT_EQ(local->tm_hour, 12);
  EXPECT_EQ(local->tm_min, 34);
  EXPECT_EQ(local->tm_sec, 56);
}

// The external attributes as Windows bits, for every system that made the entry.
struct AttrCase {
  const char* label;
  int system;
  uint32_t externalAttr;
  const char* name;
  uint32_t expected;
  bool directory;
};

void PrintTo(const AttrCase& c, std::ostream* os) { *os << c.label; }

class ZipAttributes : public ::testing::TestWithParam<AttrCase> {};

TEST_P(ZipAttributes, ConvertsBySystem) {
  const AttrCase& c = GetParam();
  TestEntry e = Entry(c.name, "", 0);
  e.madeBy = (uint16_t)((c.system << 8) | 20);
  e.externalAttr = c.externalAttr;
  Workspace w({e});
  ASSERT_TRUE(w.Opened());
  CZipFileHeader header;
  ASSERT_TRUE(w.zip.GetFileInfo(header, 0));
  EXPECT_EQ(header.GetSystemAttr(), c.expected);
  EXPECT_EQ(header.IsDirectory(), c.directory);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ZipAttributes,
    ::testing::Values(AttrCase{"DOS read-only archive file", 0, 0x21, "f", 0x21, false},
                      AttrCase{"DOS file without attributes", 0, 0, "f", 0x81A40020, false},
                      AttrCase{"DOS folder without attributes", 0, 0, "d/", 0x41FF0010, true},
                      AttrCase{"OS2 hidden file", 6, 0x02, "f", 0x02, false},
                      AttrCase{"NTFS folder", 10, 0x10, "d", 0x10, true},
                      AttrCase{"Unix rw-r--r-- file", 3, 0100644u << 16, "f", 0x20, false},
                      AttrCase{"Unix rwxr-xr-x file", 3, 0100755u << 16, "f", 0x00, false},
                      AttrCase{"Unix r--r--r-- file", 3, 0100444u << 16, "f", 0x21, false},
                      AttrCase{"Unix -w------- file", 3, 0100200u << 16, "f", 0x22, false},
                      AttrCase{"Unix folder", 3, (040755u << 16) | 0x10, "d/", 0x10, true},
                      AttrCase{"Unix without attributes", 3, 0, "d/", 0x41FF0010, true},
                      AttrCase{"Macintosh keeps folder and read-only bits", 7, 0xFF, "d", 0x11, true},
                      AttrCase{"Macintosh file", 7, 0x27, "f", 0x01, false},
                      AttrCase{"unknown system file", 19, 0x81ED0000, "f", 0x81A40020, false},
                      AttrCase{"unknown system folder", 19, 0x41ED0000, "d/", 0x41FF0010, true}),
    [](const auto& info) { return TestNameFrom(info.param.label); });

TEST(ZipExtract, ReadOnlyAttributeReachesTheFile) {
  TestEntry readOnly = Entry("ro.txt", "keep", 8);
  readOnly.externalAttr = 0x21;
  TestEntry normal = Entry("rw.txt", "edit", 8);
  Workspace w({readOnly, normal});
  ASSERT_TRUE(w.Opened());
  ASSERT_TRUE(w.Extract(0));
  ASSERT_TRUE(w.Extract(1));
  EXPECT_FALSE(IsWritable(w.InDest("ro.txt")));
  EXPECT_TRUE(IsWritable(w.InDest("rw.txt")));
}

TEST(ZipExtract, BadCallsFailWithoutWriting) {
  Workspace w({Entry("a.txt", "x", 8)});
  ASSERT_TRUE(w.Opened());
  EXPECT_FALSE(w.zip.ExtractFile(0, w.Dest().c_str(), true, nullptr, 0));
  EXPECT_EQ(w.Cause(), CZipException::badArgument);
  EXPECT_FALSE(w.Extract(1));
  EXPECT_EQ(w.Cause(), CZipException::badIndex);
  EXPECT_FALSE(w.Extract(-1));
  w.zip.Close();
  EXPECT_FALSE(w.Extract(0));
  EXPECT_EQ(w.Cause(), CZipException::notOpen);
  EXPECT_EQ(w.DestTree(), Tree{});
}

TEST(ZipReadEntry, OneEntryAtATimeAndPartialReadsFail) {
  Workspace w({Entry("a.txt", MakeContent(10000, 11, true), 8), Entry("b.txt", "b", 0)});
  ASSERT_TRUE(w.Opened());
  EXPECT_EQ(w.zip.CloseFile(), CZipArchive::closeNotOpen);
  ASSERT_TRUE(w.zip.OpenFile(0));
  EXPECT_FALSE(w.zip.OpenFile(1));
  EXPECT_EQ(w.Cause(), CZipException::entryOpen);
  char buffer[100];
  EXPECT_EQ(w.zip.ReadFile(buffer, sizeof(buffer)), sizeof(buffer));
  EXPECT_EQ(w.zip.CloseFile(), CZipArchive::closeUnread);

  ASSERT_TRUE(w.zip.OpenFile(1));
  EXPECT_EQ(w.zip.ReadFile(buffer, sizeof(buffer)), 1u);
  EXPECT_EQ(w.zip.ReadFile(buffer, sizeof(buffer)), 0u);
  EXPECT_EQ(w.zip.CloseFile(), CZipArchive::closeOk);

  // Closing the archive ends an open entry; the archive opens again afterwards.
  ASSERT_TRUE(w.zip.OpenFile(0));
  w.zip.Close();
  EXPECT_EQ(w.zip.ReadFile(buffer, sizeof(buffer)), 0u);
}

}  // namespace
