// A cancel (the window's Escape) in each of the worker's waits: the worker ends within
// 2 seconds, so the window can close, and a cancelled run starts no new transfer.
// The waits: an external patcher that keeps running, a record request that the
// server holds without answering, a pause between two record requests, and the
// moment between a web page received for the archive and the full-archive fallback.
#include "net/Loader.h"
#include "net/WinHandle.h"
#include "patch/Patcher.h"
#include "tests/net/GameFolder.h"
#include "tests/net/TestServers.h"
#include "tests/patch/EngineHarness.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

const auto kCloseWithin = 2000ms;

// The window's cancel, as its Escape handler makes it: the engine first, then the
// window is detached; returns how long the worker then took to end.
Clock::duration CancelAndJoin(TestPatcher& engine, RecordingWindow& window, std::thread& worker) {
  const Clock::time_point start = Clock::now();
  engine.Cancel();
  window.Detach();
  worker.join();
  return Clock::now() - start;
}

long long Ms(Clock::duration d) { return std::chrono::duration_cast<std::chrono::milliseconds>(d).count(); }

WinHandle StartAuthPatch(DWORD lifeMs) {
  const char* bin = std::getenv("KQ_BIN_DIR");
  std::string source = std::string(bin ? bin : ".") + "/KQAuthPatch.exe";
  if (!CopyFileA(source.c_str(), "KQAuthPatch.exe", FALSE)) return WinHandle();
  std::string commandLine = "KQAuthPatch.exe " + std::to_string(lifeMs);
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA("KQAuthPatch.exe", &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    return WinHandle();
  }
  CloseHandle(process.hThread);
  return WinHandle(process.hProcess);
}

TEST(PatcherCancel, WhileTheExternalPatcherRuns) {
  RemoveServedFiles("ClientPatchFiles_ZV", "CNAP");
  ServeFile("ClientPatchFiles_ZV/CNAPKQVerInfo_New.ver", "CNAP00000100 00000050");
  GameFolder folder("cancel authpatch");
  WriteBytes("KQVerInfo.ver", "CNAP00000100");
  const size_t nginxLogStart = NginxLogLines();
  WinHandle authPatch = StartAuthPatch(30000);
  ASSERT_TRUE(authPatch);
  RecordingWindow window;
  MessageCollector messages;
  TestPatcher engine(&window, APPLY_NOT_BUILT, "");
  engine.SetDownloadServer("127.0.0.1", Servers().nginxPort);
  ASSERT_TRUE(engine.Init(messages.Handle(), GetModuleHandleA(nullptr)));
  std::thread worker([&] { engine.Run(); });
  Sleep(1500);
  ASSERT_EQ(WaitForSingleObject(authPatch.Get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));

  const Clock::duration took = CancelAndJoin(engine, window, worker);
  EXPECT_LE(took, kCloseWithin) << "the worker took " << Ms(took) << " ms";
  Sleep(500);
  EXPECT_TRUE(NginxRequests("CNAP", nginxLogStart).empty()) << "the cancelled run fetched the record";
  EXPECT_EQ(window.Calls(), std::vector<std::string>{});
  TerminateProcess(authPatch.Get(), 0);
}

TEST(PatcherCancel, WhileTheServerHoldsTheRecordRequest) {
  FaultReset("HOLD");
  GameFolder folder("cancel held record");
  WriteBytes("KQVerInfo.ver", "HOLD00000100");
  RecordingWindow window;
  MessageCollector messages;
  TestPatcher engine(&window, APPLY_NOT_BUILT, "");
  engine.SetDownloadServer("127.0.0.1", Servers().faultPort);
  ASSERT_TRUE(engine.Init(messages.Handle(), GetModuleHandleA(nullptr)));
  std::thread worker([&] { engine.Run(); });
  for (int i = 0; i < 200 && FaultControl("held") != "1"; ++i) std::this_thread::sleep_for(50ms);
  ASSERT_EQ(FaultControl("held"), "1") << "the record request never reached the server";

  const Clock::duration took = CancelAndJoin(engine, window, worker);
  EXPECT_LE(took, kCloseWithin) << "the worker took " << Ms(took) << " ms";
  // Once the server lets the held request go, nothing follows it.
  FaultControl("release");
  Sleep(1500);
  EXPECT_EQ(FaultRequests("ClientPatchFiles_ZV/HOLD").size(), 1u) << "the cancelled run fetched again";
  EXPECT_TRUE(messages.Collect().empty());
}

TEST(PatcherCancel, DuringAPauseBetweenRecordRequests) {
  FaultReset("DN30");
  GameFolder folder("cancel in pause");
  WriteBytes("KQVerInfo.ver", "DN3000000100");
  RecordingWindow window;
  MessageCollector messages;
  TestPatcher engine(&window, APPLY_NOT_BUILT, "");
  engine.UseRealPauses();
  engine.SetDownloadServer("127.0.0.1", Servers().faultPort);
  ASSERT_TRUE(engine.Init(messages.Handle(), GetModuleHandleA(nullptr)));
  std::thread worker([&] { engine.Run(); });
  // The fourth request is closed at once; the pause after it lasts 1 to 2 s.
  for (int i = 0; i < 400 && FaultRequests("ClientPatchFiles_ZV/DN30").size() < 4; ++i) {
    std::this_thread::sleep_for(25ms);
  }
  std::this_thread::sleep_for(200ms);
  ASSERT_EQ(FaultRequests("ClientPatchFiles_ZV/DN30").size(), 4u) << "no pause after the fourth request";

  const Clock::duration took = CancelAndJoin(engine, window, worker);
  EXPECT_LE(took, kCloseWithin) << "the worker took " << Ms(took) << " ms";
  Sleep(1500);
  EXPECT_EQ(FaultRequests("ClientPatchFiles_ZV/DN30").size(), 4u) << "the cancelled run fetched again";
  EXPECT_TRUE(messages.Collect().empty());
}

// Cancels the engine the moment the last byte of the first archive answer arrives.
class CancelAtArchiveEnd : public RecordingWindow {
public:
  void SetEngine(cPatcher* engine) { m_engine = engine; }
  void SetPatchStep(int step, unsigned total) override {
    if (step == PATCH_STEP_DOWNLOAD) m_total = total;
    RecordingWindow::SetPatchStep(step, total);
  }
  void SetPatchProgress(const char* name, unsigned value) override {
    RecordingWindow::SetPatchProgress(name, value);
    if (m_total != 0 && value == m_total && m_engine && !m_done.exchange(true)) m_engine->Cancel();
  }

private:
  cPatcher* m_engine = nullptr;
  unsigned m_total = 0;
  std::atomic<bool> m_done{false};
};

TEST(PatcherCancel, ACancelledRunStartsNoFullArchiveFallback) {
  RemoveServedFiles("ClientPatchFiles_ZV", "CNFB");
  ServeFile("ClientPatchFiles_ZV/CNFBKQVerInfo_New.ver", "CNFB00000200 00000000");
  ServeFile("ClientPatchFiles_ZV/CNFB00000000.kqp", "an archive that must not be fetched");
  GameFolder folder("cancel fallback");
  WriteBytes("KQVerInfo.ver", "CNFB00000100");
  const size_t nginxLogStart = NginxLogLines();
  CancelAtArchiveEnd window;
  MessageCollector messages;
  TestPatcher engine(&window, APPLY_OK, "CNFB00000200 00000000");
  window.SetEngine(&engine);
  engine.SetDownloadServer("127.0.0.1", Servers().nginxPort);
  ASSERT_TRUE(engine.Init(messages.Handle(), GetModuleHandleA(nullptr)));
  std::thread worker([&] { engine.Run(); });
  worker.join();

  std::vector<std::string> requests;
  for (int i = 0; i < 20; ++i) {
    requests = NginxRequests("ClientPatchFiles_ZV/CNFB", nginxLogStart);
    if (requests.size() >= 2) break;
    Sleep(100);
  }
  EXPECT_EQ(requests, (std::vector<std::string>{"ClientPatchFiles_ZV/CNFBKQVerInfo_New.ver",
                                                "ClientPatchFiles_ZV/CNFB00000100.kqp"}));
  EXPECT_FALSE(Exists("CNFB00000000.kqp"));
}

}  // namespace
