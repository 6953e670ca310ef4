// Whole patch runs against nginx with real archives made by kqpack and the stand-in
// executive module: the engine in this process with a recording window, and kqpatch
// as a separate program with its exit statuses.
#include "patch/Patcher.h"
#include "tests/net/GameFolder.h"
#include "tests/net/TestServers.h"
#include "tests/patch/EngineHarness.h"
#include "tests/patch/PatchFixtures.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

const char kServed[] = "ClientPatchFiles_ZV/";

std::string RecordName(const std::string& prefix) { return prefix + "KQVerInfo_New.ver"; }

// A game folder at version prefix + "00000100": loose files (one read-only), the two
// graphics builds and an older generic copy.
void MakeOldGame(const std::string& prefix) {
  WriteTree(".", {{"KQVerInfo.ver", prefix + "00000100"},
                  {"Data\\a.txt", "old a"},
                  {"keep.txt", "kept"},
                  {"NorvGFunc.dll", "older module"}});
  SetFileAttributesA("Data\\a.txt", FILE_ATTRIBUTE_READONLY);
  ASSERT_TRUE(CopyGraphicsBuilds());
}

// Serves the record "<prefix>00000200 00000100" and, made from content, the archive
// for "<prefix>00000100".
void ServePatch(const std::string& prefix, const FileMap& content) {
  RemoveServedFiles("ClientPatchFiles_ZV", prefix);
  ServeFile(kServed + RecordName(prefix), prefix + "00000200 00000100");
  const std::string source = "..\\src-" + prefix;
  WriteTree(source, content);
  const std::string archive = "..\\" + prefix + ".kqp";
  ASSERT_TRUE(MakeArchive(archive, source));
  ServeFile(kServed + prefix + "00000100.kqp", ReadBytes(archive));
}

// The content of the archive from version 100 to 200.
FileMap NextVersion(const std::string& prefix) {
  return {{"Data\\a.txt", "new a"},
          {"Data\\new.txt", "added"},
          {"3DData\\data1\\x.txt", "xx"},
          {"3DData\\data1\\y.txt", "yyy"},
          {"3DData\\a\\b\\z.txt", "zzzz"},
          {RecordName(prefix), prefix + "00000200 00000100"}};
}

FileMap GameFiles() {
  FileMap files = ReadTree(".");
  for (const char* name : {"NorvStandin.log", "ZVPatchLog.txt", "NorvGFuncSSE.dll", "NorvGFuncN.dll"}) {
    files.erase(name);
  }
  return files;
}

struct RunResult {
  Lines messages;
  Lines milestones;
};

RunResult RunEngine() {
  RecordingWindow window;
  MessageCollector messages;
  TestPatcher engine(&window, APPLY_NOT_BUILT, "");
  engine.SetDownloadServer("127.0.0.1", Servers().nginxPort);
  EXPECT_TRUE(engine.Init(messages.Handle(), GetModuleHandleA(nullptr)));
  engine.Run();
  return {messages.Collect(), window.Milestones()};
}

TEST(FullRun, VersionNBecomesNPlusOne) {
  GameFolder folder("full run");
  MakeOldGame("FULL");
  ServePatch("FULL", NextVersion("FULL"));
  const std::string archiveSize = std::to_string(ServedFile(std::string(kServed) + "FULL00000100.kqp").size());

  RunResult run = RunEngine();

  EXPECT_EQ(run.messages, Lines{});
  // The packs are committed in the order the staging folder lists them: the commit
  // steps (one per pack with its entry count) are compared as a set, in their place.
  Lines steps;
  std::set<std::string> packSteps;
  for (const std::string& call : run.milestones) {
    if (call.rfind("step 3 ", 0) == 0) {
      packSteps.insert(call);
      if (steps.back() != "step 3") steps.push_back("step 3");
    } else {
      steps.push_back(call);
    }
  }
  EXPECT_EQ(steps, (Lines{"version FULL00000100", "step 0 0", "step 1 0", "step 1 " + archiveSize,
                          "extract FULL00000100.kqp (as served)", "step 2 40", "pack", "step 3",
                          "version FULL00000200", "redraw-version", "step 4 0", "finished 1"}));
  EXPECT_EQ(packSteps, (std::set<std::string>{"step 3 1", "step 3 2"}));
  const std::string sse = ReadBytes("NorvGFuncSSE.dll");
  EXPECT_EQ(GameFiles(), (FileMap{{"KQVerInfo.ver", "FULL00000200 00000100"},
                                  {"Data\\a.txt", "new a"},
                                  {"Data\\new.txt", "added"},
                                  {"keep.txt", "kept"},
                                  {"NorvGFunc.dll", sse},
                                  {"data1.pak", ReadBytes("data1.pak")},
                                  {"a.pak", ReadBytes("a.pak")},
                                  {"a\\b.pak", ReadBytes("a\\b.pak")}}));
  EXPECT_EQ(ReadPack("data1.pak"), (FileMap{{"x.txt", "xx"}, {"y.txt", "yyy"}}));
  EXPECT_EQ(ReadPack("a.pak"), (FileMap{{"b\\z.txt", "zzzz"}}));
  EXPECT_EQ(ReadPack("a\\b.pak"), (FileMap{{"z.txt", "zzzz"}}));
}

TEST(FullRun, FailuresKeepTheGameConsistent) {
  struct Case {
    std::string prefix;
    std::string name;
    FileMap content;
    std::string control;   // for the stand-in executive
    bool graphicsBuilds;
    Lines messages;
    bool storageLoaded;
    bool stagingRemains;
    bool archiveRemains;
    std::string versionAfter;
  };
  const std::vector<Case> cases = {
      {"NOST", "no staging folder",
       {{"Data\\a.txt", "new a"}, {RecordName("NOST"), "NOST00000200 00000100"}}, "", true, {}, false, false, false,
       "NOST00000200 00000100"},
      {"NOGB", "a missing graphics build", NextVersion("NOGB"), "", false, {}, true, false, false,
       "NOGB00000200 00000100"},
      {"ADD2", "the second of three additions fails",
       {{"3DData\\data1\\a.txt", "a"}, {"3DData\\data1\\b.txt", "b"}, {"3DData\\data1\\c.txt", "c"},
        {RecordName("ADD2"), "ADD200000200 00000100"}},
       "AddFile 2", true, {"error 5"}, true, true, false, "ADD200000100"},
      {"NEWL", "an archive that delivers a new launcher",
       {{"KQAutoPatch.new", "launcher"}, {RecordName("NEWL"), "NEWL00000200 00000100"}}, "", true, {}, false, false,
       false, "NEWL00000200 00000100"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GameFolder folder("full failure " + c.name);
    MakeOldGame(c.prefix);
    if (!c.graphicsBuilds) {
      DeleteFileA("NorvGFuncSSE.dll");
      DeleteFileA("NorvGFuncN.dll");
    }
    ControlStandIn(c.control);
    ServePatch(c.prefix, c.content);
    RunResult run = RunEngine();
    EXPECT_EQ(run.messages, c.messages);
    EXPECT_EQ(Exists("NorvStandin.log"), c.storageLoaded);
    EXPECT_EQ(ReadBytes("NorvGFunc.dll"), c.storageLoaded && c.graphicsBuilds ? ReadBytes("NorvGFuncSSE.dll")
                                                                            : std::string("older module"));
    EXPECT_EQ(Exists("3DData"), c.stagingRemains);
    EXPECT_EQ(Exists(c.prefix + "00000100.kqp"), c.archiveRemains);
    EXPECT_EQ(ReadBytes("KQVerInfo.ver"), c.versionAfter);
    if (c.prefix == "NEWL") {
      EXPECT_EQ(ReadBytes("KQAutoPatch.new"), "launcher");
    }
  }
}

// A graphics-module build delivered without pack content reaches "NorvGFunc.dll"
// through the finisher: the engine leaves the build for this processor (SSE under
// Wine) as "NorvGFunc.new" and does not touch "NorvGFunc.dll" itself.
TEST(FullRun, ADeliveredGraphicsBuildIsHandedToTheFinisher) {
  struct Case {
    std::string prefix;
    std::string name;
    FileMap content;
    std::string handedOver;  // "NorvGFunc.new" after the run; empty: none
  };
  const std::vector<Case> cases = {
      {"GFBO", "both builds",
       {{"NorvGFuncSSE.dll", "new sse"}, {"NorvGFuncN.dll", "new n"}, {RecordName("GFBO"), "GFBO00000200 00000100"}},
       "new sse"},
      {"GFLC", "the SSE build, named in another case",
       {{"norvgfuncsse.DLL", "new sse"}, {RecordName("GFLC"), "GFLC00000200 00000100"}}, "new sse"},
      {"GFNO", "no build", {{"Data\\a.txt", "new a"}, {RecordName("GFNO"), "GFNO00000200 00000100"}}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GameFolder folder("full run graphics " + c.name);
    MakeOldGame(c.prefix);
    ServePatch(c.prefix, c.content);
    RunResult run = RunEngine();
    EXPECT_EQ(run.messages, Lines{});
    EXPECT_EQ(ReadBytes("NorvGFunc.dll"), "older module");
    EXPECT_EQ(Exists("NorvGFunc.new"), !c.handedOver.empty());
    if (!c.handedOver.empty()) {
      EXPECT_EQ(ReadBytes("NorvGFunc.new"), c.handedOver);
    }
    EXPECT_EQ(ReadBytes("KQVerInfo.ver"), c.prefix + "00000200 00000100");
  }
}

TEST(FullRun, AStagingFolderLeftByAFailedRunIsFoldedInWhenUpToDate) {
  GameFolder folder("full run folds leftovers");
  MakeOldGame("LEFT");
  ServePatch("LEFT", {{"3DData\\data1\\a.txt", "a"}, {"3DData\\data1\\b.txt", "b"}, {"3DData\\data1\\c.txt", "c"},
                      {RecordName("LEFT"), "LEFT00000200 00000100"}});
  ControlStandIn("AddFile 2");
  EXPECT_EQ(RunEngine().messages, Lines{"error 5"});
  ASSERT_TRUE(Exists("3DData"));
  ControlStandIn("");
  ServeFile(std::string(kServed) + RecordName("LEFT"), "LEFT00000100 00000100");
  RunResult run = RunEngine();
  EXPECT_EQ(run.messages, Lines{});
  EXPECT_EQ(ReadPack("data1.pak"), (FileMap{{"a.txt", "a"}, {"b.txt", "b"}, {"c.txt", "c"}}));
  EXPECT_FALSE(Exists("3DData"));
}

TEST(FullRun, AnUnsafeEntryNameIsAnExtractionErrorAndTouchesNothingOutside) {
  GameFolder folder("full run unsafe name");
  MakeOldGame("EVIL");
  RemoveServedFiles("ClientPatchFiles_ZV", "EVIL");
  ServeFile(std::string(kServed) + RecordName("EVIL"), "EVIL00000200 00000100");
  ServeFile(std::string(kServed) + "EVIL00000100.kqp",
            HandMadeArchive({{"..\\outside-evil.txt", "evil"}, {RecordName("EVIL"), "EVIL00000200 00000100"}}));
  WriteBytes("..\\outside-evil.txt", "outside");
  SetFileAttributesA("..\\outside-evil.txt", FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(RunEngine().messages, Lines{"error 4"});
  EXPECT_EQ(ReadBytes("..\\outside-evil.txt"), "outside");
  EXPECT_NE(GetFileAttributesA("..\\outside-evil.txt") & FILE_ATTRIBUTE_READONLY, 0u);
  SetFileAttributesA("..\\outside-evil.txt", FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(ReadBytes("KQVerInfo.ver"), "EVIL00000100");
  EXPECT_FALSE(Exists(RecordName("EVIL")));
}

// An archive whose record entry holds a version string that names a path ("HSTL\..\..\a"
// would make the next run store the server's answer as "HSTL\..\..\a.kqp", two
// folders up): the run ends with PATCH_ERR_WRITE_VERSION and keeps the old version
// file, so no later run builds a name from it.
TEST(FullRun, AHostileRecordInTheArchiveNeverBecomesTheVersionFile) {
  GameFolder folder("full run hostile record");
  MakeOldGame("HSTL");
  RemoveServedFiles("ClientPatchFiles_ZV", "HSTL");
  ServeFile(std::string(kServed) + RecordName("HSTL"), "HSTL00000200 00000100");
  ServeFile(std::string(kServed) + "HSTL00000100.kqp",
            HandMadeArchive({{"Data\\a.txt", "new a"}, {RecordName("HSTL"), "HSTL\\..\\..\\a 00000100"}}));
  EXPECT_EQ(RunEngine().messages, Lines{"error 6"});
  EXPECT_EQ(ReadBytes("KQVerInfo.ver"), "HSTL00000100");
  // The next run asks for the same archive again, under a plain name.
  const size_t nginxLogStart = NginxLogLines();
  EXPECT_EQ(RunEngine().messages, Lines{"error 6"});
  EXPECT_FALSE(Exists("..\\..\\a.kqp"));
  for (int i = 0; i < 20 && NginxRequests("HSTL", nginxLogStart).size() < 2; ++i) Sleep(100);
  EXPECT_EQ(NginxRequests("HSTL", nginxLogStart),
            (Lines{"ClientPatchFiles_ZV/HSTLKQVerInfo_New.ver", "ClientPatchFiles_ZV/HSTL00000100.kqp"}));
}

// A version file that already holds such a string (left by an older launcher) is
// unreadable: PATCH_ERR_READ_VERSION, and nothing is requested or written.
TEST(FullRun, AVersionFileThatNamesAPathIsUnreadable) {
  const std::vector<std::string> versions = {"HSTV\\..\\..\\a", "HSTV/../../a", "C:\\HSTV\\a000", "NUL.00000100"};
  for (const std::string& version : versions) {
    SCOPED_TRACE(version);
    GameFolder folder("full run hostile version " + std::to_string(&version - &versions[0]));
    MakeOldGame("HSTV");
    WriteBytes("KQVerInfo.ver", version);
    const size_t nginxLogStart = NginxLogLines();
    RunResult run = RunEngine();
    EXPECT_EQ(run.messages, Lines{"error 1"});
    Sleep(300);
    EXPECT_TRUE(NginxRequests("HSTV", nginxLogStart).empty());
    EXPECT_TRUE(NginxRequests("/../", nginxLogStart).empty());
    EXPECT_FALSE(Exists("..\\..\\a.kqp"));
    EXPECT_EQ(ReadBytes("KQVerInfo.ver"), version);
  }
}

// kqpatch in the game folder, against nginx unless host says otherwise.
int RunKqpatch(const std::string& arguments) {
  return RunProgram(BinFile("kqpatch.exe"), arguments, 120000);
}

std::string AtNginx() { return "--host 127.0.0.1 --port " + std::to_string(Servers().nginxPort); }

TEST(Kqpatch, ExitStatusPerOutcome) {
  struct Case {
    std::string prefix;
    std::string name;
    bool versionFile;
    std::string record;   // served record; "" none
    bool archive;         // serve NextVersion's archive
    std::string arguments;
    std::string control;
    int status;
    std::string versionAfter;
  };
  const std::string nginx = AtNginx();
  const std::vector<Case> cases = {
      {"KPOK", "patched", true, "KPOK00000200 00000100", true, nginx, "", 0, "KPOK00000200 00000100"},
      {"KPUP", "up to date", true, "KPUP00000100 00000050", false, nginx, "", 0, "KPUP00000100"},
      {"KPUS", "wrong command line", true, "", false, "--port 0", "", 1, "KPUS00000100"},
      {"KPCN", "cannot connect", true, "", false, "--host \"\"", "", 10, "KPCN00000100"},
      {"KPRV", "no version file", false, "", false, nginx, "", 11, ""},
      {"KPSV", "no server record", true, "", false, nginx, "", 12, "KPSV00000100"},
      {"KPDL", "no archive", true, "KPDL00000200 00000100", false, nginx, "", 13, "KPDL00000100"},
      {"KPPK", "the pack update fails", true, "KPPK00000200 00000100", true, nginx, "CommitPack", 15,
       "KPPK00000100"},
      {"KPTO", "too old", true, "KPTO00000300 00000200", false, nginx, "", 17, "KPTO00000100"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GameFolder folder("kqpatch " + c.name);
    RemoveServedFiles("ClientPatchFiles_ZV", c.prefix);
    if (c.archive) ServePatch(c.prefix, NextVersion(c.prefix));
    if (!c.record.empty()) ServeFile(std::string(kServed) + RecordName(c.prefix), c.record);
    if (c.versionFile) WriteBytes("KQVerInfo.ver", c.prefix + "00000100");
    ASSERT_TRUE(CopyGraphicsBuilds());
    ControlStandIn(c.control);
    EXPECT_EQ(RunKqpatch(c.arguments), c.status);
    EXPECT_EQ(Exists("KQVerInfo.ver") ? ReadBytes("KQVerInfo.ver") : std::string(), c.versionAfter);
  }
}

TEST(Kqpatch, BadArchivesAndWaitingNewFiles) {
  struct Case {
    std::string prefix;
    std::string name;
    std::string archive;
    int status;
  };
  const std::vector<Case> cases = {
      {"KPEX", "an archive that is no zip", "not a zip at all", 14},
      {"KPWV", "an archive without the record", HandMadeArchive({{"Data\\a.txt", "new a"}}), 16},
      {"KPNW", "a new launcher waits",
       HandMadeArchive({{"KQAutoPatch.new", "launcher"}, {RecordName("KPNW"), "KPNW00000200 00000100"}}), 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GameFolder folder("kqpatch " + c.name);
    RemoveServedFiles("ClientPatchFiles_ZV", c.prefix);
    ServeFile(std::string(kServed) + RecordName(c.prefix), c.prefix + "00000200 00000100");
    ServeFile(std::string(kServed) + c.prefix + "00000100.kqp", c.archive);
    WriteBytes("KQVerInfo.ver", c.prefix + "00000100");
    EXPECT_EQ(RunKqpatch(AtNginx()), c.status);
  }
}

}  // namespace
