// "kqpack release" as the publisher runs it: version folders built by the test, the
// program from KQ_BIN_DIR, every archive read back with the launcher's zip reader.
// Covers the server files per set of older versions, each archive's entries, the
// record bytes, reproducibility, a release over an earlier one, and every refusal with
// its single stderr line and the server folder left as it was.
#include "zip/ZipArchive.h"
#include "zip/ZipFileHeader.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using FileMap = std::map<std::string, std::string>;  // name -> bytes

const char kRecord[] = "KQZVKQVerInfo_New.ver";
const char kServer[] = "ClientPatchFiles_ZV";

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
  if (path.has_parent_path()) fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

void WriteFiles(const fs::path& folder, const FileMap& files) {
  fs::create_directories(folder);
  for (const auto& file : files) WriteBytes(folder / file.first, file.second);
}

// Every file below folder by its relative name ("/" separators) with its bytes (only
// its size when it is large); folders end in "/".
FileMap ReadFolder(const fs::path& folder) {
  const uintmax_t kLarge = 1 << 20;
  FileMap files;
  if (!fs::exists(folder)) return files;
  for (const auto& item : fs::recursive_directory_iterator(folder)) {
    std::string name = fs::relative(item.path(), folder).generic_string();
    if (item.is_directory()) {
      files[name + "/"] = "";
    } else if (item.file_size() > kLarge) {
      files[name] = std::to_string(item.file_size()) + " bytes";
    } else {
      files[name] = ReadBytes(item.path());
    }
  }
  return files;
}

// The entries of an archive as the launcher's reader gives them, in index order:
// name and content. A folder entry or an unreadable entry fails the test.
std::vector<std::pair<std::string, std::string>> ReadArchive(const fs::path& archive) {
  std::vector<std::pair<std::string, std::string>> entries;
  CZipArchive zip;
  EXPECT_TRUE(zip.Open(archive.c_str(), CZipArchive::zipOpenReadOnly)) << archive;
  CZipFileHeader header;
  for (int i = 0; i < zip.GetCount(); ++i) {
    EXPECT_TRUE(zip.GetFileInfo(header, i));
    EXPECT_FALSE(header.IsDirectory()) << header.GetFileName();
    EXPECT_TRUE(zip.OpenFile(i)) << header.GetFileName();
    std::string data;
    char buffer[4096];
    for (size_t got; (got = zip.ReadFile(buffer, sizeof(buffer))) > 0;) data.append(buffer, got);
    EXPECT_EQ(zip.CloseFile(), CZipArchive::closeOk) << header.GetFileName();
    entries.emplace_back(header.GetFileName(), data);
  }
  return entries;
}

FileMap ArchiveContent(const fs::path& archive) {
  FileMap content;
  for (const auto& entry : ReadArchive(archive)) content[entry.first] = entry.second;
  return content;
}

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// Runs kqpack with the arguments from the current folder.
Outcome RunKqpack(const std::vector<std::string>& args) {
  const char* bin = std::getenv("KQ_BIN_DIR");
  std::string command = Quoted(std::string(bin ? bin : ".") + "/kqpack");
  for (const std::string& arg : args) command += " " + Quoted(arg);
  command += " >kqpack.out 2>kqpack.err";
  int raw = std::system(command.c_str());
  Outcome outcome;
  outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  outcome.out = ReadBytes("kqpack.out");
  outcome.err = ReadBytes("kqpack.err");
  return outcome;
}

// A fresh folder below the test's working folder, made current while it lives and
// kept for a look only when the test failed.
class Scratch {
 public:
  explicit Scratch(const std::string& name) : m_previous(fs::current_path()), m_path(m_previous / "work" / name) {
    fs::remove_all(m_path);
    fs::create_directories(m_path);
    fs::current_path(m_path);
  }
  ~Scratch() {
    fs::current_path(m_previous);
    if (!::testing::Test::HasFailure()) fs::remove_all(m_path);
  }

 private:
  fs::path m_previous;
  fs::path m_path;
};

// The version history of the tests: version 1 and 2 published, 3 current.
FileMap Version1() {
  return {{"KQVerInfo.ver", "KQZV00000001"}, {"a.txt", "a1"},          {"b.txt", "b"},
          {"Data/c.txt", "c"},               {"3DData/Map/m.msh", "m1"}, {"KQAutoPatch.exe", "launcher 1"}};
}

FileMap Version2() {
  return {{"KQVerInfo.ver", "KQZV00000002"}, {"a.txt", "a2"},
          {"b.txt", "b"},                    {"Data/c.txt", "c"},
          {"3DData/Map/m.msh", "m1"},        {"3DData/Char/h.msh", "h"},
          {"KQAutoPatch.exe", "launcher 3"}};
}

// An installed game folder: the 21-byte record as version file and a stale record
// file left by a patch, and the files that belong to this player's machine only (the
// launch options, the patch log, a downloaded archive, an extraction's temporaries,
// the graphics module picked for this processor and one waiting to be swapped in).
FileMap Version3() {
  return {{"KQVerInfo.ver", "KQZV00000003 00000001"},
          {kRecord, "stale record"},
          {"AutopatchOption.opt", "15050301 1 800 600 32 60"},
          {"ZVPatchLog.txt", "02"},
          {"KQZV00000002.kqp", "downloaded"},
          {"Data/c.txt.kqpart", "half"},
          {"Data/c.txt.kqpart3", "half"},
          {"NorvGFunc.dll", "picked for this processor"},
          {"NorvGFunc.new", "waiting"},
          {"a.txt", "a2"},
          {"b.txt", "b"},
          {"Data/c.txt", "c"},
          {"Data/new.txt", "n"},
          {"3DData/Map/m.msh", "m3"},
          {"3DData/Char/h.msh", "h"},
          {"KQAutoPatch.exe", "launcher 3"}};
}

// Version 3's files under an older version number: nothing changed but the number.
FileMap Version3As2() {
  FileMap files = Version3();
  files["KQVerInfo.ver"] = "KQZV00000002";
  return files;
}

void MakeVersions() {
  WriteFiles("v1", Version1());
  WriteFiles("v2", Version2());
  WriteFiles("v3", Version3());
  WriteFiles("v3as2", Version3As2());
}

const std::string kRecordBytes = "KQZV00000003 00000000";

FileMap WithRecord(FileMap files) {
  files[kRecord] = kRecordBytes;
  return files;
}

const FileMap kFullArchive = WithRecord({{"a.txt", "a2"},
                                         {"b.txt", "b"},
                                         {"Data\\c.txt", "c"},
                                         {"Data\\new.txt", "n"},
                                         {"3DData\\Map\\m.msh", "m3"},
                                         {"3DData\\Char\\h.msh", "h"},
                                         {"KQAutoPatch.new", "launcher 3"}});

TEST(KqpackRelease, WritesTheRecordAndOneArchivePerOlderVersion) {
  struct Case {
    std::string name;
    std::vector<std::string> older;
    std::map<std::string, FileMap> archives;  // server file -> its entries
  };
  const FileMap from1 = WithRecord({{"a.txt", "a2"},
                                    {"Data\\new.txt", "n"},
                                    {"3DData\\Map\\m.msh", "m3"},
                                    {"3DData\\Char\\h.msh", "h"},
                                    {"KQAutoPatch.new", "launcher 3"}});
  const FileMap from2 = WithRecord({{"Data\\new.txt", "n"}, {"3DData\\Map\\m.msh", "m3"}});
  const std::vector<Case> cases = {
      {"no older version", {}, {{"KQZV00000000.kqp", kFullArchive}}},
      {"one older version", {"v2"}, {{"KQZV00000000.kqp", kFullArchive}, {"KQZV00000002.kqp", from2}}},
      {"several, in any order",
       {"v2", "v1"},
       {{"KQZV00000000.kqp", kFullArchive}, {"KQZV00000001.kqp", from1}, {"KQZV00000002.kqp", from2}}},
      {"nothing changed but the number",
       {"v3as2"},
       {{"KQZV00000000.kqp", kFullArchive}, {"KQZV00000002.kqp", WithRecord({})}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Scratch scratch("sets " + c.name);
    MakeVersions();
    std::vector<std::string> args = {"release", "out", "v3"};
    args.insert(args.end(), c.older.begin(), c.older.end());
    Outcome run = RunKqpack(args);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");

    FileMap served = ReadFolder("out");
    std::map<std::string, std::string> expectedNames = {{std::string(kServer) + "/", ""},
                                                        {std::string(kServer) + "/" + kRecord, kRecordBytes}};
    for (const auto& archive : c.archives) expectedNames[std::string(kServer) + "/" + archive.first] = "";
    ASSERT_EQ(served.size(), expectedNames.size());
    for (const auto& name : expectedNames) EXPECT_EQ(served.count(name.first), 1u) << name.first;
    EXPECT_EQ(served[std::string(kServer) + "/" + kRecord], kRecordBytes);
    for (const auto& archive : c.archives) {
      SCOPED_TRACE(archive.first);
      const fs::path path = fs::path("out") / kServer / archive.first;
      EXPECT_EQ(ArchiveContent(path), archive.second);
      std::vector<std::string> names;
      for (const auto& entry : ReadArchive(path)) names.push_back(entry.first);
      EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
    }
  }
}

TEST(KqpackRelease, ArchivesAreReproducible) {
  Scratch scratch("reproducible");
  MakeVersions();
  ASSERT_EQ(RunKqpack({"release", "first", "v3", "v1", "v2"}).status, 0);
  ASSERT_EQ(RunKqpack({"release", "second", "v3", "v2", "v1"}).status, 0);
  FileMap first = ReadFolder("first");
  EXPECT_EQ(first.size(), 5u);
  EXPECT_EQ(first, ReadFolder("second"));
}

// A second release replaces this edition's files, old archives included, and keeps
// everything else that the server folder serves.
TEST(KqpackRelease, ReplacesAnEarlierReleaseAndKeepsOtherEditions) {
  Scratch scratch("replace");
  MakeVersions();
  const FileMap others = {{"OTHRKQVerInfo_New.ver", "OTHR00000005 00000000"},
                          {"OTHR00000000.kqp", "other edition"},
                          {"KQZV0000001.kqp", "not an archive name of this edition"},
                          {"notfound.html", "<html></html>"},
                          {"docs/readme.txt", "kept"}};
  WriteFiles(fs::path("out") / kServer, others);
  WriteFiles(fs::path("out") / kServer, {{"KQZV00000001.kqp", "stale"}, {kRecord, "KQZV00000002 00000000"}});

  Outcome run = RunKqpack({"release", "out", "v3", "v2"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");

  FileMap expected;
  for (const auto& file : others) expected[std::string(kServer) + "/" + file.first] = file.second;
  expected[std::string(kServer) + "/"] = "";
  expected[std::string(kServer) + "/docs/"] = "";
  expected[std::string(kServer) + "/" + kRecord] = kRecordBytes;
  FileMap served = ReadFolder("out");
  for (const char* archive : {"KQZV00000000.kqp", "KQZV00000002.kqp"}) {
    const std::string name = std::string(kServer) + "/" + archive;
    ASSERT_EQ(served.count(name), 1u) << name;
    expected[name] = served[name];
  }
  EXPECT_EQ(served, expected);
  EXPECT_EQ(ArchiveContent(fs::path("out") / kServer / "KQZV00000000.kqp"), kFullArchive);
}

TEST(KqpackRelease, RefusesWithOneLineAndChangesNothing) {
  struct Case {
    std::string name;
    std::function<void()> setup;
    std::vector<std::string> args;
    std::string error;  // the stderr line without its line feed, a regular expression
  };
  const std::vector<Case> cases = {
      {"a current folder that is missing", [] {}, {"out", "nosuch"}, "kqpack: nosuch: not a folder"},
      {"a folder without a version file", [] { WriteFiles("bare", {{"a.txt", "a"}}); }, {"out", "v3", "bare"},
       "kqpack: bare/KQVerInfo.ver: no version file of at least 12 bytes"},
      {"a version file of 11 bytes", [] { WriteFiles("short", {{"KQVerInfo.ver", "KQZV0000000"}}); },
       {"out", "short"}, "kqpack: short/KQVerInfo.ver: no version file of at least 12 bytes"},
      {"a version file that is no version string", [] { WriteFiles("text", {{"KQVerInfo.ver", "KQZV 0000001"}}); },
       {"out", "v3", "text"}, "kqpack: text/KQVerInfo.ver: \"KQZV 0000001\" is not a version string .*"},
      {"another prefix", [] { WriteFiles("other", {{"KQVerInfo.ver", "KQZX00000001"}}); }, {"out", "v3", "other"},
       "kqpack: other: prefix KQZX differs from the current version's KQZV"},
      {"an older version that is newer", [] { WriteFiles("newer", {{"KQVerInfo.ver", "KQZV00000004"}}); },
       {"out", "v3", "newer"}, "kqpack: newer: version KQZV00000004 is not older than the current version KQZV00000003"},
      {"the current version as an older one", [] {}, {"out", "v3", "v1", "v3"},
       "kqpack: v3: version KQZV00000003 is not older than the current version KQZV00000003"},
      {"two folders with one version", [] {}, {"out", "v3", "v2", "v1", "v3as2"},
       "kqpack: v3as2: version KQZV00000002 is also the version of v2"},
      {"an older version 00000000, the full archive's name", [] { WriteFiles("zero", {{"KQVerInfo.ver", "KQZV00000000"}}); },
       {"out", "v3", "zero"}, "kqpack: zero: version KQZV00000000 would take the full archive's name"},
      {"an output that is a file", [] { WriteBytes("file", "x"); }, {"file", "v3"},
       "kqpack: file: exists and is not a folder"},
      {"a server folder that is a file", [] { WriteBytes("plain/ClientPatchFiles_ZV", "x"); }, {"plain", "v3"},
       "kqpack: plain/ClientPatchFiles_ZV: exists and is not a folder"},
      {"an output inside a version folder", [] {}, {"v2/server", "v3", "v2"},
       "kqpack: v2/server: inside the version folder v2"},
      {"a file directly in 3DData", [] { WriteBytes("v3/3DData/loose.msh", "x"); }, {"out", "v3"},
       "kqpack: v3/3DData/loose.msh: a file directly in 3DData belongs to no pack .*"},
      {"a folder inside a pack folder", [] { WriteBytes("v3/3DData/Map/tiles/t.msh", "x"); }, {"out", "v3"},
       "kqpack: v3/3DData/Map/tiles: a folder inside a pack folder would become a pack of its own \\(Map\\\\tiles.pak\\); .*"},
      {"a launcher's new file in the current version", [] { WriteBytes("v3/KQAutoPatch.new", "x"); }, {"out", "v3"},
       "kqpack: v3/KQAutoPatch.new: the release delivers KQAutoPatch.exe under this name; remove it"},
      {"a name the launcher would refuse", [] { WriteBytes("v3/Data/aux.txt", "x"); }, {"out", "v3"},
       "kqpack: v3/Data/aux.txt: unsafe entry name"},
      // Found while the full archive is written, after the record.
      {"a file too large for an archive",
       [] {
         std::ofstream("v3/Data/huge.bin");
         fs::resize_file("v3/Data/huge.bin", 5ull << 30);
       },
       {"out", "v3", "v1"}, "kqpack: out/ClientPatchFiles_ZV/KQZV00000000.kqp: Data/huge.bin: file too large .*"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Scratch scratch("refuse " + c.name);
    MakeVersions();
    WriteFiles(fs::path("out") / kServer, {{kRecord, "KQZV00000002 00000000"}, {"KQZV00000001.kqp", "earlier"}});
    c.setup();
    const FileMap before = ReadFolder(".");
    std::vector<std::string> args = {"release"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    Outcome run = RunKqpack(args);
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(std::regex_match(run.err, std::regex(c.error + "\n"))) << run.err;
    EXPECT_EQ(run.out, "");
    FileMap after = ReadFolder(".");
    after.erase("kqpack.out");
    after.erase("kqpack.err");
    EXPECT_EQ(after, before);
  }
}

TEST(KqpackRelease, AWrongCommandLineShowsTheUsage) {
  Scratch scratch("usage");
  Outcome run = RunKqpack({"release", "out"});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err.rfind("usage: kqpack ", 0), 0u);
  EXPECT_NE(run.err.find("release OUT_DIR CURRENT_DIR [OLDER_DIR ...]"), std::string::npos);
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1);
  Outcome help = RunKqpack({"help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("3DData/<pack>/"), std::string::npos);
}

}  // namespace
