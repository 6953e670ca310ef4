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

// A finisher started in the background, ended at the end of the scope if still
// running.
class RunningFinisher {
public:
  explicit RunningFinisher(const std::string& arguments) {
    std::string program = BinFile("KQExecuter.exe");
    std::string commandLine = "\"" + program + "\" " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &process)) {
      CloseHandle(process.hThread);
      m_process.Reset(process.hProcess);
    }
  }
  ~RunningFinisher() {
    if (m_process && !Ended(0)) TerminateProcess(m_process.Get(), 1);
  }
  RunningFinisher(const RunningFinisher&) = delete;
  RunningFinisher& operator=(const RunningFinisher&) = delete;

  bool Started() const { return static_cast<bool>(m_process); }
  bool Ended(DWORD ms) const { return WaitForSingleObject(m_process.Get(), ms) == WAIT_OBJECT_0; }

private:
  WinHandle m_process;
};

// The message box of the finisher, once it shows (null after ms).
HWND WaitForBox(DWORD ms) {
  for (DWORD waited = 0; waited <= ms; waited += 100) {
    HWND box = FindWindowA("#32770", "KQ Patcher");
    if (box) return box;
    Sleep(100);
  }
  return nullptr;
}

std::string BoxText(HWND box) {
  std::string text;
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    char buffer[1024] = {};
    GetWindowTextA(child, buffer, sizeof(buffer));
    char className[64] = {};
    GetClassNameA(child, className, sizeof(className));
    if (std::string(className) == "Static" && buffer[0]) text += buffer;
  }
  return text;
}

// A target that no attempt can replace: the finisher does not start the launcher
// (which would only hand over again, every 25 s for ever) but tells the player, and
// the delivered file stays for the next start.
TEST(Finisher, ATargetThatStaysInUseEndsTheHandOverWithABox) {
  GameFolder folder("finisher target in use");
  WriteBytes("KQAutoPatch.exe", Launcher());
  WriteBytes("NorvGFunc.dll", "module in use");
  WriteBytes("NorvGFunc.new", "delivered module");
  WinHandle held(CreateFileA("NorvGFunc.dll", GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(held);

  RunningFinisher finisher("kept");
  ASSERT_TRUE(finisher.Started());
  HWND box = WaitForBox(40000);
  ASSERT_TRUE(box) << "no box";
  EXPECT_EQ(BoxText(box),
            "The update could not be finished: NorvGFunc.dll could not be replaced.\n"
            "Close the programs that use it, then start KQAutoPatch.exe again.");
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(finisher.Ended(10000)) << "the finisher did not end after the box";
  held.Reset();
  Sleep(1000);
  EXPECT_FALSE(Exists(kStarted)) << "the launcher was started: " << ReadBytes(kStarted);
  EXPECT_EQ(ReadBytes("NorvGFunc.dll"), "module in use");
  EXPECT_EQ(ReadBytes("NorvGFunc.new"), "delivered module");
}

// The folder mutex of the launcher as the launcher names it: the current folder
// with every backslash made ">".
std::string FolderMutexName() {
  char name[512] = {};
  GetCurrentDirectoryA(sizeof(name), name);
  for (char* c = name; *c; ++c) {
    if (*c == '\\') *c = '>';
  }
  return name;
}

// The old launcher still runs from the folder (it shows the error box of its finish
// while the player reads it): the finisher neither swaps nor starts anything, for
// longer than its replacement attempts last, until that launcher has ended.
TEST(Finisher, WaitsWhileTheOldLauncherStillRunsFromTheFolder) {
  GameFolder folder("finisher launcher open");
  const std::string newLauncher = Launcher() + "new";
  WriteBytes("KQAutoPatch.exe", Launcher());
  WriteBytes("KQAutoPatch.new", newLauncher);
  ASSERT_TRUE(CopyGraphicsBuilds());
  WinHandle folderMutex(CreateMutexA(nullptr, TRUE, FolderMutexName().c_str()));
  ASSERT_TRUE(folderMutex);

  RunningFinisher finisher("after the box");
  ASSERT_TRUE(finisher.Started());
  EXPECT_FALSE(finisher.Ended(25000)) << "the finisher ended while the old launcher ran";
  EXPECT_EQ(ReadBytes("KQAutoPatch.exe"), Launcher()) << "swapped while the old launcher ran";
  EXPECT_FALSE(Exists(kStarted)) << "a launcher was started while the old one ran";

  ReleaseMutex(folderMutex.Get());
  folderMutex.Reset();
  EXPECT_TRUE(finisher.Ended(20000));
  EXPECT_EQ(LauncherLines(1), Lines{" after the box"});
  EXPECT_EQ(ReadBytes("KQAutoPatch.exe"), newLauncher);
  EXPECT_FALSE(Exists("KQAutoPatch.new"));
}

}  // namespace
