// Archive downloads over connections that break: the engine reconnects and asks for
// the rest ("Range", tied to the first answer by "If-Range"), starts over when the
// server cannot continue the same file, gives up after a few attempts without
// progress, and keeps an interrupted download for the next run. Against the fault
// server (cuts at given bytes, no Range support, no validator, a file that changes
// between two requests) and nginx (real Range and validators, and a process killed
// part-way).
#include "net/Loader.h"
#include "patch/RetryPause.h"
#include "tests/net/GameFolder.h"
#include "tests/net/TestServers.h"
#include "tests/patch/EngineHarness.h"
#include "tests/patch/PatchFixtures.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Lines = std::vector<std::string>;

const char kServed[] = "ClientPatchFiles_ZV/";
const unsigned kArchiveSize = 1000000;

std::string RecordFor(const std::string& prefix) { return prefix + "00000200 00000100"; }
std::string ArchiveName(const std::string& prefix) { return prefix + "00000150.kqp"; }

// Serves the record and an archive of size bytes for prefix; the game folder is at
// version 150 of it.
std::string ServeRelease(const std::string& prefix, unsigned size, unsigned seed) {
  RemoveServedFiles(kServed, prefix);
  FaultReset(prefix);
  ServeFile(kServed + prefix + "KQVerInfo_New.ver", RecordFor(prefix));
  std::string archive = PatternBytes(size, seed);
  ServeFile(kServed + ArchiveName(prefix), archive);
  WriteBytes("KQVerInfo.ver", prefix + "00000150");
  return archive;
}

struct RunResult {
  Lines messages;
  Lines calls;
  std::vector<unsigned> resumePauses;
};

// One engine run in the current folder against port; the archive application only
// notes whether the archive it is given is the served one.
RunResult RunEngine(const std::string& prefix, int port) {
  RecordingWindow window;
  MessageCollector messages;
  TestPatcher engine(&window, APPLY_OK, RecordFor(prefix));
  engine.SetDownloadServer("127.0.0.1", port);
  EXPECT_TRUE(engine.Init(messages.Handle(), GetModuleHandleA(nullptr)));
  std::thread worker([&] { engine.Run(); });
  worker.join();
  return {messages.Collect(), window.Calls(), engine.ResumePauses()};
}

// The progress the window saw for the archive: every total announced for the
// download step, and whether the bar never went back.
struct Progress {
  Lines totals;
  bool forward = true;
  unsigned last = 0;
};

Progress ProgressOf(const Lines& calls, const std::string& archive) {
  Progress progress;
  const std::string bar = "progress " + archive + " ";
  for (const std::string& call : calls) {
    if (call.rfind("step 1 ", 0) == 0 && call != "step 1 0" &&
        (progress.totals.empty() || progress.totals.back() != call)) {
      progress.totals.push_back(call);
    }
    if (call.rfind(bar, 0) == 0) {
      unsigned value = static_cast<unsigned>(std::stoul(call.substr(bar.size())));
      if (value < progress.last) progress.forward = false;
      progress.last = value;
    }
  }
  return progress;
}

bool Called(const Lines& calls, const std::string& call) {
  for (const std::string& c : calls) {
    if (c == call) return true;
  }
  return false;
}

// nginx's answers for text since logStart, once count of them are in its log (it logs
// a request when it is done).
Lines WaitForNginxAnswers(const std::string& text, size_t logStart, size_t count) {
  Lines answers;
  for (int i = 0; i < 40; ++i, std::this_thread::sleep_for(50ms)) {
    answers = NginxAnswers(text, logStart);
    if (answers.size() >= count) break;
  }
  return answers;
}

// Nothing of a download is left beside the archive.
void ExpectNoPartialFiles(const std::string& archive) {
  EXPECT_FALSE(Exists(archive + ".partial"));
  EXPECT_FALSE(Exists(archive + ".validator"));
}

// --- Within one run, against the fault server ------------------------------------

struct CutCase {
  const char* name;
  const char* prefix;  // picks the server's behaviour (see fault_server.py)
  const char* plan;    // how the first answers for the archive end
  Lines answers;       // status, first byte, bytes sent, per request
  bool progressForward;
};

TEST(ArchiveResume, BrokenTransfersWithinARun) {
  const std::string size = std::to_string(kArchiveSize);
  const CutCase cases[] = {
      {"three cuts, each continued where it broke", "RSM3", "100000,250000,400000",
       {"200 0 100000", "206 100000 250000", "206 350000 400000", "206 750000 250000"}, true},
      {"a server that ignores Range: started over on each cut", "NORG", "100000,250000",
       {"200 0 100000", "200 0 250000", "200 0 " + size}, false},
      {"a server without validator: started over, no Range asked", "NOVD", "300000",
       {"200 0 300000", "200 0 " + size}, false},
      {"attempts without progress in between are counted, then the rest comes", "RSMD", "200000,drop,drop,drop",
       {"200 0 200000", "206 200000 800000"}, true},
  };
  for (const CutCase& c : cases) {
    SCOPED_TRACE(c.name);
    GameFolder folder(c.name);
    const std::string archive = ArchiveName(c.prefix);
    const std::string served = ServeRelease(c.prefix, kArchiveSize, 3);
    FaultControl(std::string("plan?") + kServed + archive + "|" + c.plan);

    RunResult run = RunEngine(c.prefix, Servers().faultPort);

    EXPECT_EQ(run.messages, Lines{});
    EXPECT_TRUE(Called(run.calls, "extract " + archive + " (as served)"));
    EXPECT_TRUE(Called(run.calls, "finished 1"));
    const Lines answers = FaultAnswers(kServed + archive);
    EXPECT_EQ(answers, c.answers);
    // Every request after the first came after a pause; the bytes the server sent add
    // up to the archive where it could continue.
    EXPECT_EQ(run.resumePauses.size(), FaultRequests(kServed + archive).size() - 1);
    Progress progress = ProgressOf(run.calls, archive);
    EXPECT_EQ(progress.totals, Lines{"step 1 " + size}) << "the bar counts the whole archive";
    EXPECT_EQ(progress.forward, c.progressForward);
    EXPECT_EQ(progress.last, kArchiveSize);
    ExpectNoPartialFiles(archive);
    EXPECT_FALSE(Exists(PATCH_LOG_NAME));
  }
}

// The file changes on the server between two requests of one run: the answer to the
// continuing request is the new file, whole, and that is what is unpacked.
TEST(ArchiveResume, AFileChangedBetweenTwoRequestsIsStartedOver) {
  GameFolder folder("changed within a run");
  const std::string archive = ArchiveName("CHNG");
  ServeRelease("CHNG", kArchiveSize, 4);
  const std::string next = PatternBytes(kArchiveSize + 1000, 5);
  ServeFile(kServed + archive + ".next", next);
  FaultControl(std::string("plan?") + kServed + archive + "|300000,swap");

  RunResult run = RunEngine("CHNG", Servers().faultPort);

  EXPECT_EQ(run.messages, Lines{});
  EXPECT_EQ(ServedFile(kServed + archive), next);
  EXPECT_TRUE(Called(run.calls, "extract " + archive + " (as served)"));
  EXPECT_EQ(FaultAnswers(kServed + archive), (Lines{"200 0 300000", "200 0 " + std::to_string(next.size())}));
}

// A server that never answers for the archive: a few attempts with growing pauses,
// then the run ends as a failed download always did.
TEST(ArchiveResume, AttemptsWithoutProgressEndTheRun) {
  GameFolder folder("never answers");
  const std::string archive = ArchiveName("DRPA");
  ServeRelease("DRPA", kArchiveSize, 6);

  RunResult run = RunEngine("DRPA", Servers().faultPort);

  EXPECT_EQ(run.messages, Lines{"error 3"});
  EXPECT_EQ(SplitLines(ReadBytes(PATCH_LOG_NAME)), Lines{"02"});
  EXPECT_EQ(FaultRequests(kServed + archive).size(), static_cast<size_t>(ARCHIVE_ATTEMPTS_WITHOUT_PROGRESS));
  ASSERT_EQ(run.resumePauses.size(), static_cast<size_t>(ARCHIVE_ATTEMPTS_WITHOUT_PROGRESS - 1));
  for (size_t i = 0; i < run.resumePauses.size(); ++i) {
    const unsigned step = ArchiveRetryPauseMs(static_cast<int>(i) + 1, 0) * 2;
    EXPECT_GE(run.resumePauses[i], step / 2) << "pause " << i;
    EXPECT_LE(run.resumePauses[i], step) << "pause " << i;
  }
  EXPECT_FALSE(Exists(archive));
  ExpectNoPartialFiles(archive);
}

// Escape while the engine waits before its next attempt: the wait ends at once, no
// further request is made, and the window hears nothing more.
TEST(ArchiveResume, ACancelEndsAPauseAtOnce) {
  GameFolder folder("cancel in a pause");
  const std::string archive = ArchiveName("DRPA");
  ServeRelease("DRPA", kArchiveSize, 6);
  RecordingWindow window;
  MessageCollector messages;
  TestPatcher engine(&window, APPLY_OK, RecordFor("DRPA"));
  engine.UseRealPauses();
  engine.SetDownloadServer("127.0.0.1", Servers().faultPort);
  ASSERT_TRUE(engine.Init(messages.Handle(), GetModuleHandleA(nullptr)));
  std::thread worker([&] { engine.Run(); });
  // The second pause lasts 1 to 2 s; the cancel comes while it runs.
  auto pausesStarted = [&] {
    Lines calls = window.Calls();
    return std::count(calls.begin(), calls.end(), std::string("pause before resume"));
  };
  for (int i = 0; i < 3000 && pausesStarted() < 2; ++i) std::this_thread::sleep_for(10ms);
  ASSERT_EQ(pausesStarted(), 2);
  auto cancelled = std::chrono::steady_clock::now();
  engine.Cancel();
  window.Detach();
  worker.join();
  auto waited = std::chrono::steady_clock::now() - cancelled;

  EXPECT_LT(waited, 700ms) << "the pause was waited out";
  EXPECT_EQ(FaultRequests(kServed + archive).size(), 2u);
  EXPECT_EQ(messages.Collect(), Lines{"error 3"}) << "posted as always; the window ignores it after a cancel";
  EXPECT_FALSE(engine.IsAlive());
}

// --- Across runs, against nginx ----------------------------------------------------

// Runs kill_patch against nginx, ending its process once the download holds byte bytes.
void RunKilledAtByte(unsigned byte) {
  const std::string arguments =
      "--host 127.0.0.1 --port " + std::to_string(Servers().nginxPort) + " --kill-at-byte " + std::to_string(byte);
  EXPECT_EQ(RunProgram(BinFile("kill_patch.exe"), arguments, 120000), 3);
}

unsigned FileSize(const std::string& name) { return static_cast<unsigned>(ReadBytes(name).size()); }

const unsigned kLargeArchive = 8 * 1048576;

// A run killed at about half: what arrived stays as the partial file with its
// validator, never under the archive's name; the next run fetches only the rest, and
// leaves no trace of the partial file.
TEST(ArchiveResumeAcrossRuns, TheNextRunFetchesOnlyTheRest) {
  GameFolder folder("killed at half");
  const std::string archive = ArchiveName("KILL");
  const std::string served = ServeRelease("KILL", kLargeArchive, 7);
  WriteBytes("KILL00000120.kqp.partial", "left by a run of another version");
  WriteBytes("KILL00000120.kqp.validator", "\"1-2\"");

  RunKilledAtByte(kLargeArchive / 2);
  ASSERT_TRUE(Exists(archive + ".partial"));
  EXPECT_FALSE(Exists(archive)) << "a partial download is never under the archive's name";
  const unsigned held = FileSize(archive + ".partial");
  EXPECT_GE(held, kLargeArchive / 2);
  EXPECT_LT(held, kLargeArchive);
  EXPECT_EQ(ReadBytes(archive + ".partial"), served.substr(0, held));
  EXPECT_EQ(ReadBytes(archive + ".validator").substr(0, 1), "\"") << "nginx's ETag";
  EXPECT_FALSE(Exists("KILL00000120.kqp.partial")) << "another version's download can never be continued";
  EXPECT_FALSE(Exists("KILL00000120.kqp.validator"));

  const size_t logStart = NginxLogLines();
  RunResult run = RunEngine("KILL", Servers().nginxPort);

  EXPECT_EQ(run.messages, Lines{});
  EXPECT_TRUE(Called(run.calls, "extract " + archive + " (as served)"));
  EXPECT_EQ(WaitForNginxAnswers(archive, logStart, 1), Lines{"206 " + std::to_string(kLargeArchive - held)});
  Progress progress = ProgressOf(run.calls, archive);
  EXPECT_EQ(progress.totals, Lines{"step 1 " + std::to_string(kLargeArchive)});
  EXPECT_EQ(progress.last, kLargeArchive);
  ExpectNoPartialFiles(archive);
}

// The archive on the server changed since the run that was killed: the validator no
// longer matches, nginx answers with the whole new file, and that is what is used.
TEST(ArchiveResumeAcrossRuns, AnArchiveChangedSinceIsStartedOver) {
  GameFolder folder("changed between runs");
  const std::string archive = ArchiveName("CHGR");
  ServeRelease("CHGR", kLargeArchive, 8);
  RunKilledAtByte(kLargeArchive / 2);
  ASSERT_TRUE(Exists(archive + ".partial"));
  const std::string changed = PatternBytes(kLargeArchive - 4096, 9);
  ServeFile(kServed + archive, changed);

  const size_t logStart = NginxLogLines();
  RunResult run = RunEngine("CHGR", Servers().nginxPort);

  EXPECT_EQ(run.messages, Lines{});
  EXPECT_TRUE(Called(run.calls, "extract " + archive + " (as served)"));
  EXPECT_EQ(WaitForNginxAnswers(archive, logStart, 1), Lines{"200 " + std::to_string(changed.size())});
  ExpectNoPartialFiles(archive);
}

// The server no longer has the archive an earlier run began: the rest is refused, the
// partial file dropped, and the whole archive asked for, whose web page takes the
// full-archive fallback as always.
TEST(ArchiveResumeAcrossRuns, AnArchiveGoneFromTheServerTakesTheFallback) {
  GameFolder folder("gone from the server");
  RemoveServedFiles(kServed, "GONE");
  ServeFile(kServed + std::string("GONEKQVerInfo_New.ver"), RecordFor("GONE"));
  ServeFile(kServed + std::string("GONE00000000.kqp"), PatternBytes(300000, 10));
  WriteBytes("KQVerInfo.ver", "GONE00000150");
  const std::string archive = ArchiveName("GONE");
  WriteBytes(archive + ".partial", PatternBytes(5000, 11));
  WriteBytes(archive + ".validator", "\"5f00-100000\"");

  const size_t logStart = NginxLogLines();
  RunResult run = RunEngine("GONE", Servers().nginxPort);

  EXPECT_EQ(run.messages, Lines{});
  EXPECT_TRUE(Called(run.calls, "extract GONE00000000.kqp (as served)"));
  const Lines answers = WaitForNginxAnswers("GONE0000", logStart, 3);
  ASSERT_EQ(answers.size(), 3u);
  EXPECT_EQ(answers[0].substr(0, 4), "404 ") << "the rest of a file the server no longer has";
  EXPECT_EQ(answers[1].substr(0, 4), "404 ") << "the whole archive: a web page";
  EXPECT_EQ(answers[2], "200 300000");
  EXPECT_EQ(ReadBytes(archive), ServedFile("notfound.html")) << "the page stays under the archive's name";
  ExpectNoPartialFiles(archive);
  ExpectNoPartialFiles("GONE00000000.kqp");
}

}  // namespace
