// The patch worker, run for real against nginx and the fault server on loopback:
// one table over every error code, with the patch log line by line, the window's
// calls in order, the requests the server saw and the game folder afterwards.
#include "net/Loader.h"
#include "patch/Patcher.h"
#include "patch/RetryPause.h"
#include "tests/net/GameFolder.h"
#include "tests/net/TestServers.h"
#include "tests/patch/EngineHarness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <mmsystem.h>

#include <chrono>
#include <map>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Lines = std::vector<std::string>;

const unsigned kArchiveSize = 300000;
const unsigned kFullArchiveSize = 200000;
const char kOldLog[] = "old entry";

enum Server { NGINX, FAULT };

// Extra conditions of a scenario.
enum Setup {
  SETUP_NONE,
  SETUP_ARCHIVE_IS_FOLDER,     // a folder holds the archive's local name
  SETUP_NO_HOST,               // the engine points at an empty host name
  SETUP_NO_INSTANCE,           // Init gets no instance handle
  SETUP_HOLD_THEN_NO_HOST,     // while the first record request waits, the host becomes empty
  SETUP_CANCEL_IN_TRANSFER,    // the window cancels once the archive transfer reports progress
};

// What a file of the game folder holds after the run.
// PARTIAL_OF_SERVED: an interrupted download "<archive>.partial" holds a beginning of
// the served archive.
enum Content { ABSENT, AS_SERVED, HALF_SERVED, NOT_FOUND_PAGE, PARTIAL_OF_SERVED };

struct Scenario {
  std::string name;
  Server server;
  std::string prefix;
  const char* versionFile;                             // nullptr: no version file
  std::vector<std::pair<std::string, std::string>> served;  // below ClientPatchFiles_ZV
  Application application;
  Setup setup;
  Lines messages;                                      // posted to the window handle
  Lines log;                                           // the patch log; empty: no log file
  Lines calls;                                         // Milestones() of the window
  Lines requests;                                      // below ClientPatchFiles_ZV, in order
  std::string versionAfter;                            // "": unchanged
  std::vector<std::pair<std::string, Content>> files;  // in the game folder afterwards
};

std::string RecordName(const std::string& prefix) { return prefix + "KQVerInfo_New.ver"; }

std::pair<std::string, std::string> Record(const std::string& text) { return {RecordName(text.substr(0, 4)), text}; }

std::pair<std::string, std::string> Archive(const std::string& version) {
  return {version + ".kqp", PatternBytes(kArchiveSize, version[3])};
}

std::pair<std::string, std::string> FullArchive(const std::string& prefix) {
  return {prefix + "00000000.kqp", PatternBytes(kFullArchiveSize, prefix[3] + 1)};
}

Lines Repeat(const std::string& line, int count) { return Lines(static_cast<size_t>(count), line); }

Lines Join(std::initializer_list<Lines> parts) {
  Lines all;
  for (const Lines& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// The calls of a run up to the archive transfer.
Lines UpToDownload(const std::string& version) { return {"version " + version, "step 0 0", "step 1 0"}; }

// The calls of a successful archive application, from extraction on.
Lines Applied(const std::string& archive, const std::string& newVersion) {
  return {"extract " + archive + " (as served)", "pack", "version " + newVersion, "redraw-version", "step 4 0",
          "finished 1"};
}

std::vector<Scenario> Scenarios() {
  const std::string page = ServedFile("notfound.html");
  const std::string pageSize = std::to_string(page.size());
  const Lines pageLines = SplitLines(page);
  std::string busy = "<html>\n<body>Busy, try later.</body>\n</html>";
  const std::string archiveSize = std::to_string(kArchiveSize);
  const std::string fullSize = std::to_string(kFullArchiveSize);

  return {
      // Normal cases, nginx.
      {"up to date", NGINX, "UPTD", "UPTD00000100", {Record("UPTD00000100 00000050")}, APPLY_NOT_BUILT, SETUP_NONE,
       {}, {}, {"version UPTD00000100", "step 0 0", "pack", "step 4 0", "finished 1"},
       {RecordName("UPTD")}, "", {}},
      {"patch due: the run stops where extraction begins", NGINX, "PTCH", "PTCH00000150",
       {Record("PTCH00000200 00000100"), Archive("PTCH00000150")}, APPLY_NOT_BUILT, SETUP_NONE,
       {"error 4"}, {},
       Join({UpToDownload("PTCH00000150"), {"step 1 " + archiveSize, "extract PTCH00000150.kqp (as served)",
                                            "finished 1"}}),
       {RecordName("PTCH"), "PTCH00000150.kqp"}, "", {{"PTCH00000150.kqp", AS_SERVED}}},
      {"patch applied", NGINX, "APLY", "APLY00000150", {Record("APLY00000200 00000100"), Archive("APLY00000150")},
       APPLY_OK, SETUP_NONE, {}, {},
       Join({UpToDownload("APLY00000150"), {"step 1 " + archiveSize}, Applied("APLY00000150.kqp", "APLY00000200")}),
       {RecordName("APLY"), "APLY00000150.kqp"}, "APLY00000200 00000100",
       {{"APLY00000150.kqp", ABSENT}, {RecordName("APLY"), ABSENT}}},
      {"the base version is still served", NGINX, "BASE", "BASE00000100",
       {Record("BASE00000200 00000100"), Archive("BASE00000100")}, APPLY_OK, SETUP_NONE, {}, {},
       Join({UpToDownload("BASE00000100"), {"step 1 " + archiveSize}, Applied("BASE00000100.kqp", "BASE00000200")}),
       {RecordName("BASE"), "BASE00000100.kqp"}, "BASE00000200 00000100", {}},
      {"one below the base version", NGINX, "TOLD", "TOLD00000099", {Record("TOLD00000200 00000100")},
       APPLY_NOT_BUILT, SETUP_NONE, {"error 7"}, {}, {"version TOLD00000099", "step 0 0", "finished 1"},
       {RecordName("TOLD")}, "", {}},
      {"the record of another edition", NGINX, "PFXA", "PFXA00000100",
       {{RecordName("PFXA"), "PFXB00000200 00000050"}}, APPLY_NOT_BUILT, SETUP_NONE, {"error 2"}, {},
       {"version PFXA00000100", "step 0 0", "finished 1"}, {RecordName("PFXA")}, "", {}},
      {"a server older than the client", NGINX, "SOLD", "SOLD00000300", {Record("SOLD00000200 00000100")},
       APPLY_NOT_BUILT, SETUP_NONE, {"error 2"}, {}, {"version SOLD00000300", "step 0 0", "finished 1"},
       {RecordName("SOLD")}, "", {}},
      {"a record of 20 bytes", NGINX, "R020", "R02000000100", {Record("R02000000200 0000010")}, APPLY_NOT_BUILT,
       SETUP_NONE, {"error 2"}, {}, {"version R02000000100", "step 0 0", "finished 1"}, {RecordName("R020")}, "", {}},
      {"a record of 22 bytes", NGINX, "R022", "R02200000100", {Record("R02200000200 000001000")}, APPLY_NOT_BUILT,
       SETUP_NONE, {"error 2"}, {}, {"version R02200000100", "step 0 0", "finished 1"}, {RecordName("R022")}, "", {}},
      {"the full archive after a web page", NGINX, "FULL", "FULL00000150",
       {Record("FULL00000200 00000100"), FullArchive("FULL")}, APPLY_OK, SETUP_NONE, {}, pageLines,
       Join({UpToDownload("FULL00000150"), {"step 1 " + pageSize, "step 1 " + fullSize},
             Applied("FULL00000000.kqp", "FULL00000200")}),
       {RecordName("FULL"), "FULL00000150.kqp", "FULL00000000.kqp"}, "FULL00000200 00000100",
       {{"FULL00000150.kqp", NOT_FOUND_PAGE}, {"FULL00000000.kqp", ABSENT}}},
      {"no full archive either", NGINX, "NOFL", "NOFL00000150", {Record("NOFL00000200 00000100")}, APPLY_NOT_BUILT,
       SETUP_NONE, {"error 3"}, Join({pageLines, pageLines, {"01"}}),
       Join({UpToDownload("NOFL00000150"), {"step 1 " + pageSize, "finished 1"}}),
       {RecordName("NOFL"), "NOFL00000150.kqp", "NOFL00000000.kqp"}, "", {{"NOFL00000000.kqp", NOT_FOUND_PAGE}}},
      {"the archive's name is taken by a folder", NGINX, "CRFL", "CRFL00000150",
       {Record("CRFL00000200 00000100"), Archive("CRFL00000150")}, APPLY_NOT_BUILT, SETUP_ARCHIVE_IS_FOLDER,
       {"error 3"}, {"CreateFile Error", "02"},
       Join({UpToDownload("CRFL00000150"), {"step 1 " + archiveSize, "finished 1"}}),
       {RecordName("CRFL"), "CRFL00000150.kqp"}, "",
       {{"CRFL00000150.kqp.partial", ABSENT}, {"CRFL00000150.kqp.validator", ABSENT}}},
      {"no version file", NGINX, "NOVF", nullptr, {Record("NOVF00000200 00000100")}, APPLY_NOT_BUILT, SETUP_NONE,
       {"error 1"}, {}, {"finished 1"}, {}, "", {}},
      {"a version file of 11 bytes", NGINX, "SHRT", "SHRT0000010", {Record("SHRT00000200 00000100")},
       APPLY_NOT_BUILT, SETUP_NONE, {"error 1"}, {}, {"finished 1"}, {}, "", {}},
      {"no connection", NGINX, "NOCN", "NOCN00000100", {Record("NOCN00000100 00000050")}, APPLY_NOT_BUILT,
       SETUP_NO_HOST, {"error 0"}, {}, {"version NOCN00000100", "finished 1"}, {}, "", {}},
      {"no instance handle", NGINX, "NOIN", "NOIN00000100", {Record("NOIN00000100 00000050")}, APPLY_NOT_BUILT,
       SETUP_NO_INSTANCE, {"error 8"}, {kOldLog}, {"box KQ Patcher: Instance Initialize  Error. (error icon)"}, {},
       "", {}},
      {"the pack update fails", NGINX, "PAKF", "PAKF00000150",
       {Record("PAKF00000200 00000100"), Archive("PAKF00000150")}, APPLY_PACK_FAILS, SETUP_NONE, {"error 5"}, {},
       Join({UpToDownload("PAKF00000150"), {"step 1 " + archiveSize, "extract PAKF00000150.kqp (as served)", "pack",
                                            "finished 1"}}),
       {RecordName("PAKF"), "PAKF00000150.kqp"}, "", {{"PAKF00000150.kqp", ABSENT}}},
      {"the archive brought no record", NGINX, "NREC", "NREC00000150",
       {Record("NREC00000200 00000100"), Archive("NREC00000150")}, APPLY_NO_RECORD, SETUP_NONE, {"error 6"}, {},
       Join({UpToDownload("NREC00000150"), {"step 1 " + archiveSize, "extract NREC00000150.kqp (as served)", "pack",
                                            "finished 1"}}),
       {RecordName("NREC"), "NREC00000150.kqp"}, "", {}},
      {"the version file is in use", NGINX, "ROVF", "ROVF00000150",
       {Record("ROVF00000200 00000100"), Archive("ROVF00000150")}, APPLY_OK_VERSION_IN_USE, SETUP_NONE, {"error 6"}, {},
       Join({UpToDownload("ROVF00000150"), {"step 1 " + archiveSize, "extract ROVF00000150.kqp (as served)", "pack",
                                            "finished 1"}}),
       {RecordName("ROVF"), "ROVF00000150.kqp"}, "", {{RecordName("ROVF"), AS_SERVED}}},

      // What nginx will not do: the fault server.
      {"text/html with a character set, then the full archive", FAULT, "CHRS", "CHRS00000150",
       {Record("CHRS00000200 00000100"), {"CHRS00000150.kqp", busy}, FullArchive("CHRS")}, APPLY_NOT_BUILT,
       SETUP_NONE, {"error 4"}, SplitLines(busy),
       Join({UpToDownload("CHRS00000150"), {"step 1 " + std::to_string(busy.size()), "step 1 " + fullSize,
                                            "extract CHRS00000000.kqp (as served)", "finished 1"}}),
       {RecordName("CHRS"), "CHRS00000150.kqp", "CHRS00000000.kqp"}, "", {{"CHRS00000000.kqp", AS_SERVED}}},
      {"an archive cut off is continued", FAULT, "CUTA", "CUTA00000150",
       {Record("CUTA00000200 00000100"), Archive("CUTA00000150")}, APPLY_NOT_BUILT, SETUP_NONE, {"error 4"}, {},
       Join({UpToDownload("CUTA00000150"), {"step 1 " + archiveSize, "extract CUTA00000150.kqp (as served)",
                                            "finished 1"}}),
       {RecordName("CUTA"), "CUTA00000150.kqp", "CUTA00000150.kqp"}, "",
       {{"CUTA00000150.kqp", AS_SERVED}, {"CUTA00000150.kqp.partial", ABSENT}, {"CUTA00000150.kqp.validator", ABSENT}}},
      {"a connection reset during the archive is continued", FAULT, "RSTA", "RSTA00000150",
       {Record("RSTA00000200 00000100"), Archive("RSTA00000150")}, APPLY_NOT_BUILT, SETUP_NONE, {"error 4"},
       {"InternetQueryDataAvailable"},
       Join({UpToDownload("RSTA00000150"), {"step 1 " + archiveSize, "extract RSTA00000150.kqp (as served)",
                                            "finished 1"}}),
       {RecordName("RSTA"), "RSTA00000150.kqp", "RSTA00000150.kqp"}, "", {{"RSTA00000150.kqp", AS_SERVED}}},
      {"an archive server that never answers", FAULT, "DRPA", "DRPA00000150",
       {Record("DRPA00000200 00000100"), Archive("DRPA00000150")}, APPLY_NOT_BUILT, SETUP_NONE, {"error 3"}, {"02"},
       Join({UpToDownload("DRPA00000150"), {"finished 1"}}),
       Join({{RecordName("DRPA")}, Repeat("DRPA00000150.kqp", ARCHIVE_ATTEMPTS_WITHOUT_PROGRESS)}), "",
       {{"DRPA00000150.kqp", ABSENT}, {"DRPA00000150.kqp.partial", ABSENT}}},
      {"an archive without a length", FAULT, "NOLN", "NOLN00000150",
       {Record("NOLN00000200 00000100"), Archive("NOLN00000150")}, APPLY_NOT_BUILT, SETUP_NONE, {"error 3"},
       {"fileSize == 0", "02"}, Join({UpToDownload("NOLN00000150"), {"finished 1"}}),
       {RecordName("NOLN"), "NOLN00000150.kqp"}, "", {{"NOLN00000150.kqp", ABSENT}}},
      {"the record on the fifth request", FAULT, "RT04", "RT0400000100", {Record("RT0400000100 00000050")},
       APPLY_NOT_BUILT, SETUP_NONE, {}, {}, {"version RT0400000100", "step 0 0", "pack", "step 4 0", "finished 1"},
       Repeat(RecordName("RT04"), 5), "", {}},
      {"the record on the eleventh request", FAULT, "RT10", "RT1000000100", {Record("RT1000000100 00000050")},
       APPLY_NOT_BUILT, SETUP_NONE, {}, {}, {"version RT1000000100", "step 0 0", "pack", "step 4 0", "finished 1"},
       Repeat(RecordName("RT10"), 11), "", {}},
      {"eleven failures, then the record", FAULT, "RT11", "RT1100000100", {Record("RT1100000100 00000050")},
       APPLY_NOT_BUILT, SETUP_NONE, {"error 2"}, {}, {"version RT1100000100", "step 0 0", "finished 1"},
       Repeat(RecordName("RT11"), 12), "", {}},
      {"a record without a length", FAULT, "NLRC", "NLRC00000100", {Record("NLRC00000100 00000050")},
       APPLY_NOT_BUILT, SETUP_NONE, {"error 2"}, {}, {"version NLRC00000100", "step 0 0", "finished 1"},
       Repeat(RecordName("NLRC"), 12), "", {}},
      {"a record with an absurd length", FAULT, "ABSD", "ABSD00000100", {Record("ABSD00000100 00000050")},
       APPLY_NOT_BUILT, SETUP_NONE, {"error 2"}, {}, {"version ABSD00000100", "step 0 0", "finished 1"},
       Repeat(RecordName("ABSD"), 12), "", {}},
      {"the reconnection fails", FAULT, "HOLD", "HOLD00000100", {Record("HOLD00000100 00000050")}, APPLY_NOT_BUILT,
       SETUP_HOLD_THEN_NO_HOST, {"error 0"}, {}, {"version HOLD00000100", "step 0 0"}, {RecordName("HOLD")}, "", {}},
      {"the window cancels during the archive", FAULT, "SLOW", "SLOW00000150",
       {Record("SLOW00000200 00000100"), Archive("SLOW00000150")}, APPLY_NOT_BUILT, SETUP_CANCEL_IN_TRANSFER,
       {"error 3"}, {"02"}, Join({UpToDownload("SLOW00000150"), {"step 1 " + archiveSize}}),
       {RecordName("SLOW"), "SLOW00000150.kqp"}, "",
       {{"SLOW00000150.kqp", ABSENT}, {"SLOW00000150.kqp.partial", PARTIAL_OF_SERVED}}},
  };
}

int PortOf(Server server) { return server == NGINX ? Servers().nginxPort : Servers().faultPort; }

void ServeScenario(const Scenario& s) {
  RemoveServedFiles("ClientPatchFiles_ZV", s.prefix);
  for (const auto& file : s.served) ServeFile("ClientPatchFiles_ZV/" + file.first, file.second);
  if (s.server == FAULT) FaultReset(s.prefix);
}

void PrepareGameFolder(const Scenario& s) {
  if (s.versionFile) WriteBytes("KQVerInfo.ver", s.versionFile);
  WriteBytes(PATCH_LOG_NAME, std::string(kOldLog) + "\n");
  if (s.setup == SETUP_ARCHIVE_IS_FOLDER) CreateDirectoryA((std::string(s.versionFile) + ".kqp").c_str(), nullptr);
}

std::string RecordOf(const Scenario& s) {
  for (const auto& file : s.served) {
    if (file.first == RecordName(s.prefix)) return file.second;
  }
  return "";
}

// The window's part while the worker runs.
void Interfere(const Scenario& s, TestPatcher& engine, RecordingWindow& window) {
  if (s.setup == SETUP_HOLD_THEN_NO_HOST) {
    for (int i = 0; i < 200 && FaultControl("held") != "1"; ++i) std::this_thread::sleep_for(50ms);
    engine.SetDownloadServer("", Servers().faultPort);
    FaultControl("release");
  }
  if (s.setup == SETUP_CANCEL_IN_TRANSFER) {
    EXPECT_TRUE(window.WaitForCall("progress ", 20s));
    engine.Cancel();
    window.Detach();
  }
}

Lines RequestsSeen(const Scenario& s, size_t nginxLogStart) {
  Lines seen;
  if (s.server == FAULT) {
    seen = FaultRequests("ClientPatchFiles_ZV/" + s.prefix);
  } else {
    // nginx logs a request once it is done; give the last line a moment to arrive.
    for (int i = 0; i < 40; ++i) {
      seen = NginxRequests("ClientPatchFiles_ZV/" + s.prefix, nginxLogStart);
      if (seen.size() >= s.requests.size()) break;
      std::this_thread::sleep_for(50ms);
    }
  }
  for (std::string& path : seen) path = path.substr(std::string("ClientPatchFiles_ZV/").size());
  return seen;
}

void CheckFiles(const Scenario& s) {
  for (const auto& file : s.files) {
    SCOPED_TRACE(file.first);
    std::string served = ServedFile("ClientPatchFiles_ZV/" + file.first);
    switch (file.second) {
      case ABSENT:
        EXPECT_FALSE(Exists(file.first));
        break;
      case AS_SERVED:
        EXPECT_TRUE(Exists(file.first) && ReadBytes(file.first) == served);
        break;
      case HALF_SERVED:
        EXPECT_TRUE(ReadBytes(file.first) == served.substr(0, served.size() / 2));
        break;
      case NOT_FOUND_PAGE:
        EXPECT_EQ(ReadBytes(file.first), ServedFile("notfound.html"));
        break;
      case PARTIAL_OF_SERVED: {
        const std::string archive = file.first.substr(0, file.first.size() - std::string(".partial").size());
        const std::string whole = ServedFile("ClientPatchFiles_ZV/" + archive);
        const std::string held = ReadBytes(file.first);
        EXPECT_TRUE(!held.empty() && held.size() < whole.size() && whole.compare(0, held.size(), held) == 0);
        break;
      }
    }
  }
}

// A pause before each retry of the record fetch (also before the reconnection that
// fails), each in its step's range, all within 30 s.
void CheckRecordPauses(const Scenario& s, const std::vector<unsigned>& pauses) {
  const size_t recordRequests =
      static_cast<size_t>(std::count(s.requests.begin(), s.requests.end(), RecordName(s.prefix)));
  const size_t retries = recordRequests == 0 ? 0 : recordRequests - 1;
  EXPECT_EQ(pauses.size(), s.setup == SETUP_HOLD_THEN_NO_HOST ? retries + 1 : retries);
  unsigned total = 0;
  for (size_t i = 0; i < pauses.size(); ++i) {
    const unsigned shortest = RecordRetryPauseMs(static_cast<int>(i), 0);
    EXPECT_GE(pauses[i], shortest) << "pause " << i;
    EXPECT_LE(pauses[i], 2 * shortest) << "pause " << i;
    total += pauses[i];
  }
  EXPECT_LE(total, 30000u);
}

// A pause before each further attempt at an archive, each within the schedule's
// bounds.
void CheckResumePauses(const Scenario& s, const std::vector<unsigned>& pauses) {
  std::map<std::string, size_t> archiveRequests;
  for (const std::string& request : s.requests) {
    if (request.size() > 4 && request.compare(request.size() - 4, 4, ".kqp") == 0) ++archiveRequests[request];
  }
  size_t further = 0;
  for (const auto& archive : archiveRequests) further += archive.second - 1;
  EXPECT_EQ(pauses.size(), further);
  for (unsigned pause : pauses) {
    EXPECT_GE(pause, ArchiveRetryPauseMs(0, 0));
    EXPECT_LE(pause, ARCHIVE_RETRY_LONGEST_PAUSE_MS);
  }
}

void RunScenario(const Scenario& s) {
  SCOPED_TRACE(s.name);
  GameFolder folder(s.name);
  ServeScenario(s);
  PrepareGameFolder(s);
  size_t nginxLogStart = NginxLogLines();

  RecordingWindow window;
  MessageCollector messages;
  TestPatcher engine(&window, s.application, RecordOf(s));
  engine.SetDownloadServer(s.setup == SETUP_NO_HOST ? "" : "127.0.0.1", PortOf(s.server));
  ASSERT_TRUE(engine.Init(messages.Handle(), s.setup == SETUP_NO_INSTANCE ? nullptr : GetModuleHandleA(nullptr)));
  int result = -1;
  std::thread worker([&] { result = engine.Run(); });
  Interfere(s, engine, window);
  worker.join();
  engine.ReleaseVersionFile();

  EXPECT_EQ(result, 0);
  EXPECT_EQ(messages.Collect(), s.messages);
  EXPECT_EQ(SplitLines(ReadBytes(PATCH_LOG_NAME)), s.log);
  EXPECT_EQ(Exists(PATCH_LOG_NAME), !s.log.empty());
  EXPECT_EQ(window.Milestones(), s.calls);
  EXPECT_EQ(RequestsSeen(s, nginxLogStart), s.requests);
  CheckRecordPauses(s, engine.Pauses());
  CheckResumePauses(s, engine.ResumePauses());
  std::string versionBefore = s.versionFile ? s.versionFile : "";
  EXPECT_EQ(ReadBytes("KQVerInfo.ver"), s.versionAfter.empty() ? versionBefore : s.versionAfter);
  CheckFiles(s);
  EXPECT_TRUE(engine.IsStoppable());
  EXPECT_EQ(engine.IsAlive(), s.setup != SETUP_CANCEL_IN_TRANSFER);
  if (s.setup == SETUP_CANCEL_IN_TRANSFER) {
    std::string outcome;
    for (int i = 0; i < 200 && (outcome = FaultControl("outcome?ClientPatchFiles_ZV/SLOW00000150.kqp")) == "pending";
         ++i) {
      std::this_thread::sleep_for(50ms);
    }
    EXPECT_EQ(outcome, "aborted") << "the server went on sending the archive";
  }
}

// Every scenario but the held record request, whose test talks to the fault server
// while the engine's request is going on (see AReconnectionFailsAfterAHeldRecordRequest).
TEST(PatcherScenarios, EveryErrorCodeFromARealRun) {
  for (const Scenario& s : Scenarios()) {
    if (s.setup != SETUP_HOLD_THEN_NO_HOST) RunScenario(s);
  }
}

TEST(PatcherScenarios, AReconnectionFailsAfterAHeldRecordRequest) {
  for (const Scenario& s : Scenarios()) {
    if (s.setup == SETUP_HOLD_THEN_NO_HOST) RunScenario(s);
  }
}

// --- Record retries ------------------------------------------------------------------

// A record server that is down for the first 5 s of a run: the pauses between the
// attempts carry the run over it (eleven retries back to back would all fail).
TEST(PatcherRecordRetries, ARecordServerDownForFiveSecondsIsWaitedOut) {
  FaultReset("DN05");
  ServeFile("ClientPatchFiles_ZV/DN05KQVerInfo_New.ver", "DN0500000100 00000050");
  GameFolder folder("record server down");
  WriteBytes("KQVerInfo.ver", "DN0500000100");
  RecordingWindow window;
  MessageCollector messages;
  TestPatcher engine(&window, APPLY_NOT_BUILT, "");
  engine.UseRealPauses();
  engine.SetDownloadServer("127.0.0.1", Servers().faultPort);
  ASSERT_TRUE(engine.Init(messages.Handle(), GetModuleHandleA(nullptr)));
  std::thread worker([&] { engine.Run(); });
  worker.join();

  EXPECT_EQ(messages.Collect(), Lines{});
  EXPECT_EQ(window.Milestones(), (Lines{"version DN0500000100", "step 0 0", "pack", "step 4 0", "finished 1"}));
  const size_t requests = FaultRequests("ClientPatchFiles_ZV/DN05").size();
  EXPECT_GE(requests, 2u);
  EXPECT_LE(requests, 12u);
  EXPECT_EQ(engine.Pauses().size(), requests - 1);
}

// --- Progress reports ----------------------------------------------------------------

// A whole archive transfer as the window sees it: the bar moves on every chunk, the
// text changes at most once per 100 ms and is cleared at the end.
TEST(PatcherProgress, AnArchiveTransferAsTheWindowSeesIt) {
  GameFolder folder("progress");
  const unsigned size = 8 * 1048576 + 5;
  RemoveServedFiles("ClientPatchFiles_ZV", "PROG");
  ServeFile("ClientPatchFiles_ZV/PROGKQVerInfo_New.ver", "PROG00000200 00000100");
  ServeFile("ClientPatchFiles_ZV/PROG00000150.kqp", PatternBytes(size, 9));
  WriteBytes("KQVerInfo.ver", "PROG00000150");

  RecordingWindow window;
  MessageCollector messages;
  TestPatcher engine(&window, APPLY_OK, "PROG00000200 00000100");
  engine.SetDownloadServer("127.0.0.1", Servers().nginxPort);
  DWORD start = timeGetTime();
  ASSERT_TRUE(engine.Init(messages.Handle(), GetModuleHandleA(nullptr)));
  std::thread worker([&] { engine.Run(); });
  worker.join();
  DWORD elapsed = timeGetTime() - start;
  EXPECT_TRUE(messages.Collect().empty());

  unsigned lastProgress = 0;
  int progressCalls = 0, texts = 0;
  Lines calls = window.Calls();
  std::string lastText;
  for (const std::string& call : calls) {
    if (call.rfind("progress PROG00000150.kqp ", 0) == 0) {
      unsigned value = static_cast<unsigned>(std::stoul(call.substr(26)));
      EXPECT_GT(value, lastProgress);
      lastProgress = value;
      ++progressCalls;
    } else if (call.rfind("text ", 0) == 0) {
      if (call != "text 0 0 -") {
        EXPECT_EQ(call.rfind("text " + std::to_string(size) + " ", 0), 0u) << call;
        EXPECT_EQ(call.substr(call.size() - 17), " PROG00000150.kqp");
        ++texts;
      }
      lastText = call;
    }
  }
  EXPECT_EQ(lastProgress, size);
  EXPECT_GE(progressCalls, 8) << "at least one call per MiB";
  EXPECT_EQ(lastText, "text 0 0 -") << "the text is cleared at the end";
  EXPECT_LE(texts, static_cast<int>(elapsed / 100)) << "more than one refresh per 100 ms";
}

TEST(PatcherProgress, DownloadCallbackForwardsAndAnswers) {
  RecordingWindow window;
  MessageCollector messages;
  cPatcher engine(&window);
  ASSERT_TRUE(engine.Init(messages.Handle(), GetModuleHandleA(nullptr)));
  EXPECT_EQ(cPatcher::DownloadCallback(1000, 400, "a.kqp"), LOADER_STATUS_RUNNING);
  EXPECT_EQ(cPatcher::DownloadCallback(1000, 1000, "a.kqp"), LOADER_STATUS_COMPLETE);
  Lines calls = window.Calls();
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.back(), "text 0 0 -") << "the clearing is never held back";
  EXPECT_EQ(window.Milestones(), Lines{"step 1 1000"});
  Lines progress;
  for (const std::string& call : calls) {
    if (call.rfind("progress ", 0) == 0) progress.push_back(call);
  }
  EXPECT_EQ(progress, (Lines{"progress a.kqp 400", "progress a.kqp 1000"}));

  engine.Cancel();
  EXPECT_EQ(cPatcher::DownloadCallback(1000, 500, "a.kqp"), LOADER_STATUS_ABORT);
  EXPECT_EQ(window.Calls(), calls) << "nothing reaches a detached window";
}

TEST(PatcherProgress, DownloadTextIsThrottledButItsClearingIsNot) {
  RecordingWindow window;
  MessageCollector messages;
  cPatcher engine(&window);
  DWORD beforeInit = timeGetTime();
  ASSERT_TRUE(engine.Init(messages.Handle(), GetModuleHandleA(nullptr)));
  DWORD afterInit = timeGetTime();
  for (unsigned done = 1; timeGetTime() - afterInit < 350; ++done) engine.UpdateDownloadText(1000000, done, "b.kqp");
  DWORD elapsed = timeGetTime() - beforeInit;
  size_t refreshes = window.Calls().size();
  EXPECT_GE(refreshes, 1u);
  EXPECT_LE(refreshes, elapsed / 100);
  engine.UpdateDownloadText(0, 0, nullptr);
  ASSERT_EQ(window.Calls().size(), refreshes + 1);
  EXPECT_EQ(window.Calls().back(), "text 0 0 -");
}

TEST(PatcherBoxes, ErrorBoxFormatsAndKeepsQuietAfterACancel) {
  RecordingWindow window;
  MessageCollector messages;
  TestPatcher engine(&window, APPLY_NOT_BUILT, "");
  engine.ErrorBox("Caption", "%s %d of %05u", "file", 3, 42u);
  std::string longText(3000, 'x');
  engine.ErrorBox("Long", "%s", longText.c_str());
  engine.Cancel();
  engine.ErrorBox("Caption", "after %s", "cancel");
  EXPECT_EQ(window.Calls(), (Lines{"box Caption: file 3 of 00042 (error icon)", "box Long: " + longText + " (error icon)"}));
}

}  // namespace
