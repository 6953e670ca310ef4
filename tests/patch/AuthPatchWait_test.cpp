// The worker waits while the external patcher "KQAuthPatch.exe" runs: a stand-in of
// that name stays alive for a few seconds, and the run must not begin before it ends.
#include "net/Loader.h"
#include "net/WinHandle.h"
#include "patch/Patcher.h"
#include "tests/net/GameFolder.h"
#include "tests/net/TestServers.h"
#include "tests/patch/EngineHarness.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

const DWORD kStandInLifeMs = 4000;
const DWORD kObserveMs = 1500;

// Copies the stand-in into the game folder under name and starts it.
WinHandle StartStandIn(const std::string& name) {
  const char* bin = std::getenv("KQ_BIN_DIR");
  std::string source = std::string(bin ? bin : ".") + "/KQAuthPatch.exe";
  if (!CopyFileA(source.c_str(), name.c_str(), FALSE)) return WinHandle();
  std::string commandLine = name + " " + std::to_string(kStandInLifeMs);
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(name.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    return WinHandle();
  }
  CloseHandle(process.hThread);
  return WinHandle(process.hProcess);
}

TEST(AuthPatchWait, TheRunBeginsOnlyAfterTheExternalPatcherEnded) {
  RemoveServedFiles("ClientPatchFiles_ZV", "AUTH");
  ServeFile("ClientPatchFiles_ZV/AUTHKQVerInfo_New.ver", "AUTH00000100 00000050");
  // The name is compared without regard to case.
  for (const std::string name : {"KQAuthPatch.exe", "kqauthpatch.EXE"}) {
    SCOPED_TRACE(name);
    GameFolder folder("wait " + name);
    WriteBytes("KQVerInfo.ver", "AUTH00000100");
    WriteBytes(PATCH_LOG_NAME, "old entry\n");
    size_t nginxLogStart = NginxLogLines();

    WinHandle standIn = StartStandIn(name);
    ASSERT_TRUE(standIn) << "cannot start the stand-in from KQ_BIN_DIR";
    RecordingWindow window;
    MessageCollector messages;
    TestPatcher engine(&window, APPLY_NOT_BUILT, "");
    engine.SetDownloadServer("127.0.0.1", Servers().nginxPort);
    ASSERT_TRUE(engine.Init(messages.Handle(), GetModuleHandleA(nullptr)));
    std::thread worker([&] { engine.Run(); });

    Sleep(kObserveMs);
    ASSERT_EQ(WaitForSingleObject(standIn.Get(), 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "the stand-in ended early";
    EXPECT_TRUE(window.Calls().empty()) << "the run began while the external patcher ran";
    EXPECT_TRUE(Exists(PATCH_LOG_NAME)) << "the log was cleared while the external patcher ran";
    EXPECT_TRUE(NginxRequests("AUTH", nginxLogStart).empty());

    WaitForSingleObject(standIn.Get(), INFINITE);
    worker.join();
    EXPECT_EQ(window.Milestones(),
              (std::vector<std::string>{"version AUTH00000100", "step 0 0", "pack", "step 4 0", "finished 1"}));
    EXPECT_FALSE(Exists(PATCH_LOG_NAME));
    EXPECT_TRUE(messages.Collect().empty());
  }
}

}  // namespace
