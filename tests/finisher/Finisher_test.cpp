// KQExecuter in a game folder: which files it swaps, what command line the restarted
// launcher (a stand-in that records it) receives, a launcher that is still running,
// and targets that are missing or never free.
#include "net/WinHandle.h"
#include "tests/net/GameFolder.h"
#include "tests/net/TestServers.h"
#include "tests/patch/PatchFixtures.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

const unsigned kFinisherTimeoutMs = 60000;
const char kStarted[] = "KQAutoPatch.started";

// Waits until the restarted launcher has written its line(s).
Lines LauncherLines(size_t expected) {
  for (int wait = 0; wait < 200; ++wait) {
    if (Exists(kStarted) && SplitLines(ReadBytes(kStarted)).size() >= expected) break;
    Sleep(50);
  }
  return Exists(kStarted) ? SplitLines(ReadBytes(kStarted)) : Lines();
}

int RunFinisher(const std::string& arguments) { return RunProgram(BinFile("KQExecuter.exe"), arguments, kFinisherTimeoutMs); }

std::string Launcher() { return ReadBytes(BinFile("LauncherStandin.exe")); }

TEST(Finisher, SwapsWhatWasDeliveredAndRestartsTheLauncher) {
  struct Case {
    std::string name;
    bool newLauncher;
    const char* newModule;  // "NorvGFunc.new"; nullptr: none
    bool graphicsBuilds;
    bool oldModule;         // an old "NorvGFunc.dll" is there
    std::string arguments;
    bool launcherReplaced;
    std::string moduleAfter;  // "SSE": the SSE build
  };
  const std::string longText(600, 'x');
  const std::vector<Case> cases = {
      {"nothing delivered", false, nullptr, true, true, "-a b", false, "SSE"},
      {"only a new module", false, "delivered module", true, true, "-a", false, "delivered module"},
      {"a new launcher and module", true, "delivered module", true, true, "", true, "delivered module"},
      {"a module target that does not exist", false, "delivered module", false, false, "x", false,
       "delivered module"},
      {"argument text longer than 254 characters", true, nullptr, true, true, longText + " end", true, "SSE"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GameFolder folder("finisher " + c.name);
    const std::string oldLauncher = Launcher() + "old";
    const std::string newLauncher = Launcher() + "new";
    WriteBytes("KQAutoPatch.exe", oldLauncher);
    if (c.newLauncher) WriteBytes("KQAutoPatch.new", newLauncher);
    if (c.newModule) WriteBytes("NorvGFunc.new", c.newModule);
    if (c.graphicsBuilds) {
      ASSERT_TRUE(CopyGraphicsBuilds());
    }
    if (c.oldModule) WriteBytes("NorvGFunc.dll", "old module");

    EXPECT_EQ(RunFinisher(c.arguments), 0);
    EXPECT_EQ(LauncherLines(1), Lines{" " + c.arguments});
    EXPECT_EQ(ReadBytes("KQAutoPatch.exe"), c.launcherReplaced ? newLauncher : oldLauncher);
    EXPECT_EQ(ReadBytes("NorvGFunc.dll"), c.moduleAfter == "SSE" ? ReadBytes("NorvGFuncSSE.dll") : c.moduleAfter);
    EXPECT_FALSE(Exists("KQAutoPatch.new"));
    EXPECT_FALSE(Exists("NorvGFunc.new"));
  }
}

TEST(Finisher, WaitsForARunningLauncherToEnd) {
  GameFolder folder("finisher running launcher");
  const std::string newLauncher = Launcher() + "new";
  WriteBytes("KQAutoPatch.exe", Launcher());
  WriteBytes("KQAutoPatch.new", newLauncher);
  ASSERT_TRUE(CopyGraphicsBuilds());
  std::string commandLine = "KQAutoPatch.exe --stay 6000";
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  ASSERT_TRUE(CreateProcessA("KQAutoPatch.exe", &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &process));
  CloseHandle(process.hThread);
  WinHandle oldLauncher(process.hProcess);

  EXPECT_EQ(RunFinisher("again"), 0);
  EXPECT_EQ(WaitForSingleObject(oldLauncher.Get(), 0), static_cast<DWORD>(WAIT_OBJECT_0))
      << "the finisher ended while the old launcher still held its file";
  EXPECT_EQ(LauncherLines(2), (Lines{"KQAutoPatch.exe --stay 6000", " again"}));
  EXPECT_EQ(ReadBytes("KQAutoPatch.exe"), newLauncher);
  EXPECT_FALSE(Exists("KQAutoPatch.new"));
}

TEST(Finisher, ATargetThatStaysInUseKeepsTheDeliveredFile) {
  GameFolder folder("finisher target in use");
  WriteBytes("KQAutoPatch.exe", Launcher());
  WriteBytes("NorvGFunc.dll", "module in use");
  WriteBytes("NorvGFunc.new", "delivered module");
  WinHandle held(CreateFileA("NorvGFunc.dll", GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(held);

  EXPECT_EQ(RunFinisher("kept"), 0);
  EXPECT_EQ(LauncherLines(1), Lines{" kept"});
  held.Reset();
  EXPECT_EQ(ReadBytes("NorvGFunc.dll"), "module in use");
  EXPECT_EQ(ReadBytes("NorvGFunc.new"), "delivered module");
}

}  // namespace
