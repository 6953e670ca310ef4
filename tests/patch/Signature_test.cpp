// Signed releases: an engine with the publisher's key uses a record only when its
// ".sig" verifies, unpacks an archive only when its ".sig" verifies and it carries the
// signed record, and refuses everything else with its code and a patch-log line,
// leaving the game folder as it was. Without a key, unsigned releases patch as
// always. The engine in this process against nginx, and kqpatch built with the test
// key as a program of its own.
#include "net/Loader.h"
#include "patch/Patcher.h"
#include "tests/net/GameFolder.h"
#include "tests/net/TestServers.h"
#include "tests/patch/EngineHarness.h"
#include "tests/patch/PatchFixtures.h"
#include "tests/sign/TestKeys.h"
#include "tests/sign/TestSigning.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

const char kServed[] = "ClientPatchFiles_ZV/";

std::string RecordName(const std::string& prefix) { return prefix + "KQVerInfo_New.ver"; }
std::string RecordText(const std::string& prefix, const char* number = "00000200") {
  return prefix + number + " 00000100";
}

std::string Sign(const std::string& bytes) { return SignWith(TEST_RELEASE_PUBLIC_KEY, TEST_RELEASE_SECRET, bytes); }
std::string SignOther(const std::string& bytes) {
  return SignWith(OTHER_RELEASE_PUBLIC_KEY, OTHER_RELEASE_SECRET, bytes);
}

std::string ArchiveWith(const std::string& prefix, const std::string& record) {
  return HandMadeArchive({{"Data\\patched.txt", "new content of " + prefix}, {RecordName(prefix), record}});
}

// What the server holds for one case; every file below ClientPatchFiles_ZV.
struct Release {
  std::string record, recordSig;
  std::string archiveName, archive, archiveSig;  // "" sig: none served
};

// A release as the publisher signs it: version 150's archive to 200, signed.
Release SignedRelease(const std::string& prefix) {
  Release r;
  r.record = RecordText(prefix);
  r.recordSig = Sign(r.record);
  r.archiveName = prefix + "00000150.kqp";
  r.archive = ArchiveWith(prefix, r.record);
  r.archiveSig = Sign(r.archive);
  return r;
}

void Serve(const std::string& prefix, const Release& r) {
  RemoveServedFiles(kServed, prefix);
  ServeFile(kServed + RecordName(prefix), r.record);
  if (!r.recordSig.empty()) ServeFile(kServed + RecordName(prefix) + ".sig", r.recordSig);
  if (!r.archiveName.empty()) ServeFile(kServed + r.archiveName, r.archive);
  if (!r.archiveSig.empty()) ServeFile(kServed + r.archiveName + ".sig", r.archiveSig);
}

struct Case {
  const char* name;
  const char* prefix;
  Release release;
  const char* key;  // the engine's release key; "" checks nothing
  Lines messages;
  Lines log;
  bool unpacked;
};

std::vector<Case> Cases(const std::string& pageSize) {
  std::vector<Case> cases;
  auto add = [&](const char* name, const char* prefix, auto change, const char* key, Lines messages, Lines log,
                 bool unpacked) {
    Release r = SignedRelease(prefix);
    change(r);
    cases.push_back({name, prefix, r, key, messages, log, unpacked});
  };
  const auto asSigned = [](Release&) {};
  add("a signed release patches", "SG01", asSigned, TEST_RELEASE_PUBLIC_KEY, {}, {}, true);
  add("a flipped byte in the archive", "SG02", [](Release& r) { r.archive[40] ^= 0x01; }, TEST_RELEASE_PUBLIC_KEY,
      {"error 3"}, {"signature of SG0200000150.kqp: does not verify"}, false);
  add("no signature beside the archive", "SG03", [](Release& r) { r.archiveSig.clear(); }, TEST_RELEASE_PUBLIC_KEY,
      {"error 3"}, {"signature of SG0300000150.kqp: missing or damaged (" + pageSize + " bytes, a signature has 64)"}, false);
  add("the record's signature beside the archive", "SG04", [](Release& r) { r.archiveSig = r.recordSig; },
      TEST_RELEASE_PUBLIC_KEY, {"error 3"}, {"signature of SG0400000150.kqp: does not verify"}, false);
  add("a release signed with another key", "SG05",
      [](Release& r) {
        r.recordSig = SignOther(r.record);
        r.archiveSig = SignOther(r.archive);
      },
      TEST_RELEASE_PUBLIC_KEY, {"error 2"}, {"signature of SG05KQVerInfo_New.ver: does not verify"}, false);
  add("a record signed for another version", "SG06", [](Release& r) { r.recordSig = Sign(RecordText("SG06", "00000300")); },
      TEST_RELEASE_PUBLIC_KEY, {"error 2"}, {"signature of SG06KQVerInfo_New.ver: does not verify"}, false);
  add("no signature beside the record", "SG07", [](Release& r) { r.recordSig.clear(); }, TEST_RELEASE_PUBLIC_KEY,
      {"error 2"}, {"signature of SG07KQVerInfo_New.ver: missing or damaged (" + pageSize + " bytes, a signature has 64)"},
      false);
  add("a signature of 63 bytes", "SG08", [](Release& r) { r.recordSig.pop_back(); }, TEST_RELEASE_PUBLIC_KEY,
      {"error 2"}, {"signature of SG08KQVerInfo_New.ver: missing or damaged (63 bytes, a signature has 64)"}, false);
  add("a signed archive of another release's record", "SG09",
      [](Release& r) {
        r.archive = ArchiveWith("SG09", RecordText("SG09", "00000300"));
        r.archiveSig = Sign(r.archive);
      },
      TEST_RELEASE_PUBLIC_KEY, {"error 3"}, {"record in SG0900000150.kqp: differs from the signed record"}, false);
  add("a signed archive without a record", "SG10",
      [](Release& r) {
        r.archive = HandMadeArchive({{"Data\\patched.txt", "content"}});
        r.archiveSig = Sign(r.archive);
      },
      TEST_RELEASE_PUBLIC_KEY, {"error 3"}, {"record in SG1000000150.kqp: missing"}, false);
  add("a build without a key patches an unsigned release", "SG11",
      [](Release& r) {
        r.recordSig.clear();
        r.archiveSig.clear();
      },
      "", {}, {}, true);
  return cases;
}

TEST(SignedRelease, OnlyWhatThePublisherSignedIsUsed) {
  // A missing signature is the server's error page, whose size the log line names.
  const std::string pageSize = std::to_string(ServedFile("notfound.html").size());
  for (const Case& c : Cases(pageSize)) {
    SCOPED_TRACE(c.name);
    GameFolder folder(c.name);
    Serve(c.prefix, c.release);
    const std::string version = std::string(c.prefix) + "00000150";
    WriteBytes("KQVerInfo.ver", version);
    WriteBytes("keep.txt", "untouched");

    RecordingWindow window;
    MessageCollector messages;
    TestPatcher engine(&window, APPLY_OK, c.release.record);
    engine.SetDownloadServer("127.0.0.1", Servers().nginxPort);
    ASSERT_TRUE(engine.SetReleaseKey(c.key));
    ASSERT_TRUE(engine.Init(messages.Handle(), GetModuleHandleA(nullptr)));
    engine.Run();

    EXPECT_EQ(messages.Collect(), c.messages);
    EXPECT_EQ(SplitLines(ReadBytes(PATCH_LOG_NAME)), c.log);
    const Lines calls = window.Calls();
    const bool unpacked = std::find(calls.begin(), calls.end(), "extract " + c.release.archiveName + " (as served)") !=
                          calls.end();
    EXPECT_EQ(unpacked, c.unpacked);
    EXPECT_EQ(ReadBytes("KQVerInfo.ver"), c.unpacked ? c.release.record : version);
    EXPECT_FALSE(Exists(c.release.archiveName)) << "a refused archive is deleted";
    EXPECT_FALSE(Exists(c.release.archiveName + ".record"));
    EXPECT_EQ(ReadBytes("keep.txt"), "untouched");
  }
}

// The full archive after a web page is checked as well.
TEST(SignedRelease, TheFullArchiveAfterAWebPageIsCheckedToo) {
  const struct {
    const char* prefix;
    bool goodSignature;
    Lines messages;
  } cases[] = {{"SGF1", true, {}}, {"SGF2", false, {"error 3"}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.prefix);
    GameFolder folder(c.prefix);
    const std::string prefix = c.prefix;
    Release r = SignedRelease(prefix);
    r.archiveName = prefix + "00000000.kqp";
    if (!c.goodSignature) r.archiveSig = SignOther(r.archive);
    Serve(prefix, r);
    WriteBytes("KQVerInfo.ver", prefix + "00000150");

    RecordingWindow window;
    MessageCollector messages;
    TestPatcher engine(&window, APPLY_OK, r.record);
    engine.SetDownloadServer("127.0.0.1", Servers().nginxPort);
    ASSERT_TRUE(engine.SetReleaseKey(TEST_RELEASE_PUBLIC_KEY));
    ASSERT_TRUE(engine.Init(messages.Handle(), GetModuleHandleA(nullptr)));
    engine.Run();
    EXPECT_EQ(messages.Collect(), c.messages);
    EXPECT_EQ(ReadBytes("KQVerInfo.ver"), c.goodSignature ? r.record : prefix + "00000150");
  }
}

TEST(SignedRelease, AKeyThatIsNot128HexadecimalDigitsChecksNothing) {
  RecordingWindow window;
  TestPatcher engine(&window, APPLY_OK, "");
  EXPECT_FALSE(engine.SetReleaseKey("fed8485d"));
  EXPECT_FALSE(engine.SetReleaseKey((std::string(TEST_RELEASE_PUBLIC_KEY) + "0").c_str()));
  EXPECT_TRUE(engine.SetReleaseKey(TEST_RELEASE_PUBLIC_KEY));
}

// kqpatch built with the test key (KQ_RELEASE_PUBLIC_KEY): a signed release made of a
// real archive patches the folder; the same release with a flipped byte in the
// archive is refused with exit status 13 and the folder stays as it was.
TEST(SignedRelease, KqpatchBuiltWithTheKey) {
  const struct {
    const char* prefix;
    bool tampered;
    int status;
  } cases[] = {{"SGK1", false, 0}, {"SGK2", true, 13}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.prefix);
    GameFolder folder(c.prefix);
    const std::string prefix = c.prefix;
    const FileMap content = {{"Data\\a.txt", "new a"}, {RecordName(prefix), RecordText(prefix)}};
    const std::string source = "..\\src-" + prefix;
    WriteTree(source, content);
    ASSERT_TRUE(MakeArchive("..\\" + prefix + ".kqp", source));
    Release r;
    r.record = RecordText(prefix);
    r.recordSig = Sign(r.record);
    r.archiveName = prefix + "00000150.kqp";
    r.archive = ReadBytes("..\\" + prefix + ".kqp");
    r.archiveSig = Sign(r.archive);
    if (c.tampered) r.archive[r.archive.size() / 2] ^= 0x01;
    Serve(prefix, r);
    WriteTree(".", {{"KQVerInfo.ver", prefix + "00000150"}, {"Data\\a.txt", "old a"}});
    ASSERT_TRUE(CopyGraphicsBuilds());

    const int status = RunProgram(BinFile("testkey\\kqpatch.exe"),
                                  "--host 127.0.0.1 --port " + std::to_string(Servers().nginxPort), 120000);
    EXPECT_EQ(status, c.status);
    EXPECT_EQ(ReadBytes("Data\\a.txt"), c.tampered ? "old a" : "new a");
    EXPECT_EQ(ReadBytes("KQVerInfo.ver"), c.tampered ? prefix + "00000150" : r.record);
    if (c.tampered) {
      EXPECT_EQ(SplitLines(ReadBytes(PATCH_LOG_NAME)), Lines{"signature of " + r.archiveName + ": does not verify"});
    }
  }
}

}  // namespace
