// The archive application on its own: the graphics-module choice, the extraction of
// real archives into a game folder, and the pack update through the stand-in
// executive module, whose journal shows the calls and whose packs are read back.
#include "patch/GraphicsModule.h"
#include "patch/Patcher.h"
#include "tests/net/GameFolder.h"
#include "tests/net/TestServers.h"
#include "tests/patch/EngineHarness.h"
#include "tests/patch/PatchFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

// An engine whose archive application the tests call directly.
class ApplyEngine : public cPatcher {
public:
  explicit ApplyEngine(RecordingWindow* window) : cPatcher(window) {}
  using cPatcher::ExtractPatch;
  using cPatcher::UpdatePackFiles;
};

// The journal with each run of AddFile lines sorted, since a folder lists its files
// in no fixed order.
Lines SortedJournal() {
  Lines lines = Journal();
  for (auto run = lines.begin(); run != lines.end();) {
    auto end = std::find_if(run, lines.end(), [](const std::string& l) { return l.rfind("AddFile ", 0) != 0; });
    std::sort(run, end);
    run = end == run ? run + 1 : end;
  }
  return lines;
}

FileMap Without(FileMap files, const std::vector<std::string>& names) {
  for (const std::string& name : names) files.erase(name);
  return files;
}

bool IsReadOnly(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

TEST(GraphicsModule, TheProbeFindsSseOnThisProcessor) { EXPECT_EQ(HasSSE(), 1); }

// A probe whose 3 bytes fault as on a processor without SSE: "ud2" and a "nop".
__attribute__((noinline)) void FaultingProbe() { asm volatile(".byte 0x0f, 0x0b, 0x90" ::: "memory"); }
__attribute__((noinline)) void QuietProbe() { asm volatile(".byte 0x90, 0x90, 0x90" ::: "memory"); }

TEST(GraphicsModule, TheGuardCatchesTheFaultOfAProcessorWithoutSse) {
  EXPECT_EQ(RunGuardedProbe(FaultingProbe), 0);
  EXPECT_EQ(RunGuardedProbe(QuietProbe), 1) << "a fault must not stick to the next test";
  EXPECT_EQ(RunGuardedProbe(FaultingProbe), 0) << "the guard works more than once";
}

TEST(GraphicsModule, TheMatchingBuildIsCopiedOverTheGenericName) {
  struct Case {
    std::string name;
    bool sseBuildPresent;
    const char* before;  // nullptr: no "NorvGFunc.dll"
    bool expectSseCopy;  // else: unchanged
  };
  const std::vector<Case> cases = {
      {"replaces an older copy", true, "older module", true},
      {"creates the generic name", true, nullptr, true},
      {"a missing build leaves the copy", false, "older module", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GameFolder folder("gfunc " + c.name);
    ASSERT_TRUE(CopyGraphicsBuilds());
    if (!c.sseBuildPresent) DeleteFileA("NorvGFuncSSE.dll");
    if (c.before) WriteBytes("NorvGFunc.dll", c.before);
    EXPECT_EQ(SelectGraphicsModule(), 1);
    if (c.expectSseCopy) {
      EXPECT_EQ(ReadBytes("NorvGFunc.dll"), ReadBytes(BinFile("NorvGFuncSSE.dll")));
      EXPECT_NE(ReadBytes("NorvGFunc.dll"), ReadBytes("NorvGFuncN.dll"));
    } else {
      EXPECT_EQ(ReadBytes("NorvGFunc.dll"), c.before);
    }
  }
}

TEST(ExtractPatch, EntriesReplaceLooseFilesAndTheBarMovesByBytes) {
  GameFolder folder("extract replaces");
  const FileMap old = {{"Data\\a.txt", "old a"}, {"keep.txt", "kept"}};
  const FileMap patch = {{"Data\\a.txt", "new content of a"},
                         {"Data\\Sub\\b.txt", std::string(70000, 'b')},
                         {"3DData\\data1\\x.txt", "staged x"},
                         {"KQAutoPatch.new", "new launcher"}};
  WriteTree(".", old);
  SetFileAttributesA("Data\\a.txt", FILE_ATTRIBUTE_READONLY);
  WriteTree("..\\extract-replaces-src", patch);
  ASSERT_TRUE(MakeArchive("patch.kqp", "..\\extract-replaces-src"));

  RecordingWindow window;
  ApplyEngine engine(&window);
  ASSERT_TRUE(engine.ExtractPatch("patch.kqp"));

  FileMap expected = patch;
  expected["keep.txt"] = "kept";
  EXPECT_EQ(Without(ReadTree("."), {"patch.kqp"}), expected);
  unsigned total = 0;
  for (const auto& file : patch) total += static_cast<unsigned>(file.second.size());
  Lines calls = window.Calls();
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.front(), "step 2 " + std::to_string(total));
  EXPECT_EQ(calls.back().substr(calls.back().rfind(' ') + 1), std::to_string(total));
  EXPECT_TRUE(Exists("patch.kqp")) << "the worker, not the extraction, deletes the archive";
}

TEST(ExtractPatch, BadArchivesFailAndLeaveWhatWasThere) {
  struct Case {
    std::string name;
    std::string archive;  // bytes of "patch.kqp"
    bool result;
    FileMap after;        // the game folder afterwards, without the archive
  };
  const FileMap old = {{"game.txt", "game"}};
  const std::vector<Case> cases = {
      {"not an archive", "this is a web page, not a zip", false, old},
      {"a name leaving the folder", HandMadeArchive({{"good.txt", "g"}, {"..\\outside-hostile.txt", "evil"}}),
       false, {{"game.txt", "game"}, {"good.txt", "g"}}},
      {"an absolute name", HandMadeArchive({{"C:\\outside-hostile.txt", "evil"}}), false, old},
      {"a truncated archive", HandMadeArchive({{"good.txt", "g"}}).substr(0, 30), false, old},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GameFolder folder("extract bad " + c.name);
    WriteBytes("..\\outside-hostile.txt", "outside");
    SetFileAttributesA("..\\outside-hostile.txt", FILE_ATTRIBUTE_READONLY);
    WriteTree(".", old);
    WriteBytes("patch.kqp", c.archive);
    RecordingWindow window;
    ApplyEngine engine(&window);
    EXPECT_EQ(engine.ExtractPatch("patch.kqp"), c.result);
    EXPECT_EQ(Without(ReadTree("."), {"patch.kqp"}), c.after);
    EXPECT_EQ(ReadBytes("..\\outside-hostile.txt"), "outside");
    EXPECT_TRUE(IsReadOnly("..\\outside-hostile.txt")) << "attributes outside the game folder changed";
    SetFileAttributesA("..\\outside-hostile.txt", FILE_ATTRIBUTE_NORMAL);
  }
}

TEST(ExtractPatch, AnEmptyArchiveSucceedsWithATotalOfZero) {
  GameFolder folder("extract empty");
  CreateDirectoryA("..\\extract-empty-src", nullptr);
  ASSERT_TRUE(MakeArchive("patch.kqp", "..\\extract-empty-src"));
  RecordingWindow window;
  ApplyEngine engine(&window);
  EXPECT_TRUE(engine.ExtractPatch("patch.kqp"));
  EXPECT_EQ(window.Calls(), Lines{"step 2 0"});
}

const char kInit[] = "InitFileStorage NorvFileStorage.dll 20000 4096 128 2 0 0";

struct PackCase {
  std::string name;
  FileMap staged;                        // below "3DData"
  std::string control;                   // words for the stand-in
  bool graphicsBuilds;                   // the two builds are in the game folder
  bool cancelled;
  bool result;
  Lines journal;                         // AddFile runs sorted
  std::map<std::string, FileMap> packs;  // every ".pak" of the game folder afterwards
  bool stagingRemains;
};

Lines Opened(const Lines& calls) {
  Lines lines = {"DllCreateInstance", kInit};
  lines.insert(lines.end(), calls.begin(), calls.end());
  lines.push_back("Release executive");
  return lines;
}

std::vector<PackCase> PackCases() {
  const FileMap one = {{"data1\\a.txt", "aaa"}, {"data1\\b.txt", "bbbb"}};
  const FileMap three = {{"data1\\a.txt", "aaa"}, {"data1\\b.txt", "bbbb"}, {"data1\\c.txt", "c"}};
  const Lines begin = {"GetFileStorage", "OpenPack data1.pak", "BeginUpdate data1.pak 0"};
  const Lines end = {"ClosePack data1.pak", "Release storage"};
  auto join = [](std::initializer_list<Lines> parts) {
    Lines all;
    for (const Lines& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
  };
  return {
      {"no staging folder", {}, "", true, false, true, {}, {}, false},
      {"one folder with two files", one, "", true, false, true,
       Opened(join({begin, {"AddFile data1.pak 3DData\\data1\\a.txt", "AddFile data1.pak 3DData\\data1\\b.txt",
                            "CommitPack data1.pak"}, end})),
       {{"data1.pak", {{"a.txt", "aaa"}, {"b.txt", "bbbb"}}}}, false},
      {"a nested folder is a pack of its own", {{"a\\f.txt", "f"}, {"a\\b\\g.txt", "g"}}, "", true, false, true,
       Opened({"GetFileStorage", "OpenPack a.pak", "BeginUpdate a.pak 0", "AddFile a.pak 3DData\\a\\b\\g.txt",
               "AddFile a.pak 3DData\\a\\f.txt", "CommitPack a.pak", "ClosePack a.pak", "Release storage",
               "GetFileStorage", "OpenPack a\\b.pak", "BeginUpdate a\\b.pak 0", "AddFile a\\b.pak 3DData\\a\\b\\g.txt",
               "CommitPack a\\b.pak", "ClosePack a\\b.pak", "Release storage"}),
       {{"a.pak", {{"f.txt", "f"}, {"b\\g.txt", "g"}}}, {"a\\b.pak", {{"g.txt", "g"}}}}, false},
      {"a missing graphics build does not stop the update", one, "", false, false, true,
       Opened(join({begin, {"AddFile data1.pak 3DData\\data1\\a.txt", "AddFile data1.pak 3DData\\data1\\b.txt",
                            "CommitPack data1.pak"}, end})),
       {{"data1.pak", {{"a.txt", "aaa"}, {"b.txt", "bbbb"}}}}, false},
      {"the storage does not start", one, "InitFileStorage", true, false, false, Opened({}), {}, true},
      {"the pack does not open", one, "OpenPack", true, false, false,
       Opened({"GetFileStorage", "OpenPack data1.pak", "Release storage"}), {}, true},
      {"the pack cannot be prepared", one, "BeginUpdate", true, false, false, Opened(join({begin, end})), {}, true},
      {"the commit fails", one, "CommitPack", true, false, false,
       Opened(join({begin, {"AddFile data1.pak 3DData\\data1\\a.txt", "AddFile data1.pak 3DData\\data1\\b.txt",
                            "CommitPack data1.pak"}, end})),
       {}, true},
      {"a cancel stops the commit", one, "StopOnProgress", true, true, false,
       Opened(join({begin, {"AddFile data1.pak 3DData\\data1\\a.txt", "AddFile data1.pak 3DData\\data1\\b.txt",
                            "CommitPack data1.pak", "stop honoured"}, end})),
       {}, true},
      {"the second of three additions fails", three, "AddFile 2", true, false, false,
       Opened(join({begin, {"AddFile data1.pak 3DData\\data1\\a.txt", "AddFile data1.pak 3DData\\data1\\b.txt",
                            "CommitPack data1.pak"}, end})),
       {}, true},
  };
}

std::map<std::string, FileMap> PacksInFolder() {
  std::map<std::string, FileMap> packs;
  for (const auto& file : ReadTree(".")) {
    const std::string& path = file.first;
    if (path.size() > 4 && path.compare(path.size() - 4, 4, ".pak") == 0) packs[path] = ReadPack(path);
  }
  return packs;
}

TEST(UpdatePackFiles, StagingFoldersGoThroughTheStorageInOrder) {
  for (const PackCase& c : PackCases()) {
    SCOPED_TRACE(c.name);
    GameFolder folder("packs " + c.name);
    WriteTree("3DData", c.staged);
    if (c.graphicsBuilds) {
      ASSERT_TRUE(CopyGraphicsBuilds());
    }
    WriteBytes("NorvGFunc.dll", "older module");
    ControlStandIn(c.control);
    RecordingWindow window;
    MessageCollector messages;
    ApplyEngine engine(&window);
    ASSERT_TRUE(engine.Init(messages.Handle(), GetModuleHandleA(nullptr)));
    if (c.cancelled) engine.Cancel();

    EXPECT_EQ(engine.UpdatePackFiles(), c.result);
    Lines journal = SortedJournal();
    if (c.control == "AddFile 2") {
      // Which file comes first depends on the folder listing: the one added is kept.
      ASSERT_EQ(journal.size(), c.journal.size());
      std::map<std::string, FileMap> packs = PacksInFolder();
      ASSERT_EQ(packs["data1.pak"].size(), 1u);
      const auto& kept = *packs["data1.pak"].begin();
      EXPECT_EQ(c.staged.at("data1\\" + kept.first), kept.second);
      EXPECT_EQ(Journal().at(5), "AddFile data1.pak 3DData\\data1\\" + kept.first) << "the first addition is kept";
    } else {
      EXPECT_EQ(journal, c.journal);
      EXPECT_EQ(PacksInFolder(), c.packs);
    }
    EXPECT_EQ(ReadTree("3DData"), c.stagingRemains ? c.staged : FileMap());
    EXPECT_EQ(Exists("3DData"), c.stagingRemains);
    const bool loaded = !c.journal.empty();
    EXPECT_EQ(ReadBytes("NorvGFunc.dll"),
              loaded && c.graphicsBuilds ? ReadBytes(BinFile("NorvGFuncSSE.dll")) : std::string("older module"));
  }
}

TEST(UpdatePackFiles, AStagingFolderLeftByAFailureIsFoldedInByTheNextRun) {
  GameFolder folder("packs retried");
  const FileMap three = {{"data1\\a.txt", "aaa"}, {"data1\\b.txt", "bbbb"}, {"data1\\c.txt", "c"}};
  WriteTree("3DData", three);
  ASSERT_TRUE(CopyGraphicsBuilds());
  RecordingWindow window;
  MessageCollector messages;
  ApplyEngine engine(&window);
  ASSERT_TRUE(engine.Init(messages.Handle(), GetModuleHandleA(nullptr)));
  ControlStandIn("AddFile 2");
  ASSERT_FALSE(engine.UpdatePackFiles());
  ControlStandIn("");
  EXPECT_TRUE(engine.UpdatePackFiles());
  EXPECT_EQ(ReadPack("data1.pak"), (FileMap{{"a.txt", "aaa"}, {"b.txt", "bbbb"}, {"c.txt", "c"}}));
  EXPECT_FALSE(Exists("3DData"));
  Lines calls = window.Milestones();
  EXPECT_NE(std::find(calls.begin(), calls.end(), "step 3 3"), calls.end()) << "the commit's progress reaches the bar";
}

// Temporaries that a killed extraction left behind: in a staging folder, beside a
// loose file that is replaced and beside one that is new. None becomes pack content,
// none stops the entry it stands beside, and none is left after the run.
TEST(ExtractPatch, TemporariesOfAnInterruptedRunNeitherBlockNorStay) {
  GameFolder folder("extract leftovers");
  ASSERT_TRUE(CopyGraphicsBuilds());
  const FileMap patch = {{"Data\\a.txt", "new a"},
                         {"Data\\new.txt", "new file"},
                         {"3DData\\data1\\x.txt", "staged x"},
                         {"KQAutoPatch.new", "new launcher"}};
  WriteTree(".", {{"Data\\a.txt", "old a"},
                  {"Data\\a.txt.kqpart", "part of a"},
                  {"Data\\new.txt.kqpart", "part of new"},
                  {"Data\\other.bin.kqpart", "part of an entry this archive no longer has"},
                  {"KQAutoPatch.new.kqpart", "part of a launcher"},
                  {"3DData\\data1\\x.txt.kqpart", "part of x"},
                  {"3DData\\data1\\y.bin.kqpart", "part of y"}});
  SetFileAttributesA("Data\\a.txt.kqpart", FILE_ATTRIBUTE_READONLY);
  WriteTree("..\\extract-leftovers-src", patch);
  ASSERT_TRUE(MakeArchive("patch.kqp", "..\\extract-leftovers-src"));

  RecordingWindow window;
  MessageCollector messages;
  ApplyEngine engine(&window);
  ASSERT_TRUE(engine.Init(messages.Handle(), GetModuleHandleA(nullptr)));
  ASSERT_TRUE(engine.ExtractPatch("patch.kqp"));
  EXPECT_EQ(Without(ReadTree("."), {"patch.kqp", "NorvGFuncSSE.dll", "NorvGFuncN.dll"}), patch);
  ASSERT_TRUE(engine.UpdatePackFiles());
  EXPECT_EQ(ReadPack("data1.pak"), (FileMap{{"x.txt", "staged x"}}));
  EXPECT_FALSE(Exists("3DData"));
}

// An up-to-date run folds a staging folder that an interrupted run left, with the
// temporary of its last entry in it: the temporary is no pack member, and goes with
// the staging folder.
TEST(UpdatePackFiles, ATemporaryInAStagingFolderIsNoPackContent) {
  GameFolder folder("packs leftover");
  ASSERT_TRUE(CopyGraphicsBuilds());
  WriteTree("3DData", {{"data1\\a.txt", "aaa"}, {"data1\\b.txt.kqpart", "half of b"}});
  RecordingWindow window;
  MessageCollector messages;
  ApplyEngine engine(&window);
  ASSERT_TRUE(engine.Init(messages.Handle(), GetModuleHandleA(nullptr)));
  EXPECT_TRUE(engine.UpdatePackFiles());
  EXPECT_EQ(ReadPack("data1.pak"), (FileMap{{"a.txt", "aaa"}}));
  EXPECT_FALSE(Exists("3DData"));
}

// Staged members that arrive read-only (as the archive's attributes say), and a
// read-only staging folder: the staging folder still goes, so the next up-to-date run
// does not load the storage and fold them again. One that cannot go is a failure.
TEST(UpdatePackFiles, ReadOnlyStagedMembersAreRemovedAfterTheFold) {
  GameFolder folder("packs read-only");
  ASSERT_TRUE(CopyGraphicsBuilds());
  const FileMap staged = {{"data1\\a.txt", "aaa"}, {"data1\\sub\\b.txt", "bbbb"}};
  WriteTree("3DData", staged);
  SetFileAttributesA("3DData\\data1\\a.txt", FILE_ATTRIBUTE_READONLY);
  SetFileAttributesA("3DData\\data1\\sub\\b.txt", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
  SetFileAttributesA("3DData\\data1\\sub", FILE_ATTRIBUTE_READONLY);
  RecordingWindow window;
  MessageCollector messages;
  ApplyEngine engine(&window);
  ASSERT_TRUE(engine.Init(messages.Handle(), GetModuleHandleA(nullptr)));
  EXPECT_TRUE(engine.UpdatePackFiles());
  EXPECT_EQ(ReadPack("data1.pak"), (FileMap{{"a.txt", "aaa"}, {"sub\\b.txt", "bbbb"}}));
  EXPECT_FALSE(Exists("3DData"));

  // The next run finds nothing to fold and leaves the storage unloaded.
  DeleteFileA("NorvStandin.log");
  EXPECT_TRUE(engine.UpdatePackFiles());
  EXPECT_EQ(Journal(), Lines{});
}

TEST(UpdatePackFiles, AStagingFolderThatCannotBeRemovedIsAFailure) {
  GameFolder folder("packs staging held");
  ASSERT_TRUE(CopyGraphicsBuilds());
  WriteTree("3DData", {{"data1\\a.txt", "aaa"}});
  RecordingWindow window;
  MessageCollector messages;
  ApplyEngine engine(&window);
  ASSERT_TRUE(engine.Init(messages.Handle(), GetModuleHandleA(nullptr)));
  // Another program holds the staged file open: others may read it, not delete it.
  HANDLE held = CreateFileA("3DData\\data1\\a.txt", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                            nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(engine.UpdatePackFiles());
  CloseHandle(held);
  EXPECT_EQ(ReadPack("data1.pak"), (FileMap{{"a.txt", "aaa"}})) << "the fold itself went through";
  EXPECT_TRUE(Exists("3DData"));
}

}  // namespace

