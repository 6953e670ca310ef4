// A patch run killed part-way and then run again ends with the same game folder,
// packs and version file as a run that was never disturbed. kqpatch runs the engine
// in its own process; the stand-in executive ends that process right after its Nth
// journal line (every call of the pack folding), kill_patch ends it right after the
// Nth chunk written by the extraction (inside large new and replacing entries), and
// timed kills hit the download and the extraction.
#include "tests/net/GameFolder.h"
#include "tests/net/TestServers.h"
#include "tests/patch/PatchFixtures.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace {

const char kPrefix[] = "CRSH";
const char kServed[] = "ClientPatchFiles_ZV/";
const unsigned kRunTimeoutMs = 120000;

// Loose files, two packs with a nested one, many entries so that the extraction
// takes a while, and the new record.
FileMap PatchContent() {
  FileMap content = {{"Data\\a.txt", "new a"},
                     {"3DData\\data1\\x.txt", "xx"},
                     {"3DData\\data1\\y.txt", "yyy"},
                     {"3DData\\a\\b\\z.txt", "zzzz"},
                     {std::string(kPrefix) + "KQVerInfo_New.ver", std::string(kPrefix) + "00000200 00000100"}};
  for (int i = 0; i < 60; ++i) {
    content["Data\\Many\\file" + std::to_string(i) + ".bin"] = PatternBytes(40000, static_cast<unsigned>(i));
    content["3DData\\data1\\many" + std::to_string(i) + ".bin"] = PatternBytes(20000, static_cast<unsigned>(i + 100));
  }
  return content;
}

void MakeOldGame() {
  WriteTree(".", {{"KQVerInfo.ver", std::string(kPrefix) + "00000100"}, {"Data\\a.txt", "old a"}});
  SetFileAttributesA("Data\\a.txt", FILE_ATTRIBUTE_READONLY);
  ASSERT_TRUE(CopyGraphicsBuilds());
}

std::string Arguments() { return "--host 127.0.0.1 --port " + std::to_string(Servers().nginxPort); }

int RunKqpatch() { return RunProgram(BinFile("kqpatch.exe"), Arguments(), kRunTimeoutMs); }

// Starts kqpatch, ends it after delayMs (unless it ended before) and waits for it.
void RunKqpatchKilledAfter(unsigned delayMs) {
  std::string program = BinFile("kqpatch.exe");
  std::string commandLine = "\"" + program + "\" " + Arguments();
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  ASSERT_TRUE(CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &process));
  CloseHandle(process.hThread);
  if (WaitForSingleObject(process.hProcess, delayMs) == WAIT_TIMEOUT) TerminateProcess(process.hProcess, 3);
  WaitForSingleObject(process.hProcess, INFINITE);
  CloseHandle(process.hProcess);
}

FileMap GameState() {
  FileMap files = ReadTree(".");
  files.erase("NorvStandin.log");
  files.erase("NorvStandin.fail");
  files.erase("ZVPatchLog.txt");
  for (auto& file : files) {
    // Packs are compared by what they hold, not by their bytes' order.
    if (file.first.size() > 4 && file.first.compare(file.first.size() - 4, 4, ".pak") == 0) {
      std::string entries;
      for (const auto& entry : ReadPack(file.first)) entries += entry.first + "=" + entry.second + ";";
      file.second = entries;
    }
  }
  return files;
}

class CrashConsistency : public testing::Test {
protected:
  static void SetUpTestSuite() {
    RemoveServedFiles("ClientPatchFiles_ZV", kPrefix);
    ServeFile(std::string(kServed) + kPrefix + "KQVerInfo_New.ver", std::string(kPrefix) + "00000200 00000100");
    WriteTree("crash-src", PatchContent());
    ASSERT_TRUE(MakeArchive("crash.kqp", "crash-src"));
    ServeFile(std::string(kServed) + kPrefix + "00000100.kqp", ReadBytes("crash.kqp"));
  }

  // The state after an undisturbed run, and the number of its journal lines.
  void Reference(FileMap* state, int* journalLines) {
    GameFolder folder("crash reference");
    MakeOldGame();
    ASSERT_EQ(RunKqpatch(), 0);
    *state = GameState();
    *journalLines = static_cast<int>(Journal().size());
  }
};

TEST_F(CrashConsistency, AKillDuringPackFoldingIsRepairedByTheNextRun) {
  FileMap expected;
  int journalLines = 0;
  Reference(&expected, &journalLines);
  ASSERT_GT(journalLines, 20);
  ASSERT_EQ(expected.at("KQVerInfo.ver"), std::string(kPrefix) + "00000200 00000100");
  int tried = 0;
  for (int killAt = 1; killAt <= journalLines; ++killAt) {
    SCOPED_TRACE("killed after journal line " + std::to_string(killAt));
    GameFolder folder("crash at " + std::to_string(killAt));
    MakeOldGame();
    ControlStandIn("KillAt " + std::to_string(killAt));
    EXPECT_EQ(RunKqpatch(), 3) << "the stand-in did not end the run";
    ControlStandIn("");
    EXPECT_EQ(RunKqpatch(), 0);
    EXPECT_EQ(GameState(), expected);
    ++tried;
  }
  std::printf("kill points during pack folding: %d\n", tried);
}

TEST_F(CrashConsistency, TimedKillsDuringDownloadAndExtractionAreRepairedByTheNextRun) {
  FileMap expected;
  int journalLines = 0;
  Reference(&expected, &journalLines);
  int tried = 0;
  for (unsigned delayMs = 0; delayMs <= 1500; delayMs += 100) {
    SCOPED_TRACE("killed after " + std::to_string(delayMs) + " ms");
    GameFolder folder("crash after ms " + std::to_string(delayMs));
    MakeOldGame();
    RunKqpatchKilledAfter(delayMs);
    EXPECT_EQ(RunKqpatch(), 0);
    EXPECT_EQ(GameState(), expected);
    ++tried;
  }
  std::printf("timed kill points: %d\n", tried);
}

// The archive for the kills inside the extraction: a large new launcher (which the
// finisher would swap in), a large file that replaces a read-only one, a large staged
// pack member and small files, so that every chunk of it is a kill point.
const char kExtractPrefix[] = "CRSX";
const size_t kChunk = 65536;

std::string ExtractRecord() { return std::string(kExtractPrefix) + "00000200 00000100"; }

FileMap ExtractPatchContent() {
  return {{"KQAutoPatch.new", PatternBytes(10 * kChunk + 100, 1)},
          {"Data\\big.dat", PatternBytes(6 * kChunk + 7, 2)},
          {"Data\\a.txt", "new a"},
          {"3DData\\data1\\big.bin", PatternBytes(3 * kChunk + 1, 3)},
          {"3DData\\data1\\x.txt", "xx"},
          {std::string(kExtractPrefix) + "KQVerInfo_New.ver", ExtractRecord()}};
}

void MakeOldExtractGame() {
  WriteTree(".", {{"KQVerInfo.ver", std::string(kExtractPrefix) + "00000100"},
                  {"Data\\a.txt", "old a"},
                  {"Data\\big.dat", "the old big file"}});
  SetFileAttributesA("Data\\big.dat", FILE_ATTRIBUTE_READONLY);
  ASSERT_TRUE(CopyGraphicsBuilds());
}

int RunKillPatch(int killAt) {
  return RunProgram(BinFile("kill_patch.exe"), Arguments() + " --kill-at " + std::to_string(killAt), kRunTimeoutMs);
}

class CrashDuringExtraction : public testing::Test {
protected:
  static void SetUpTestSuite() {
    RemoveServedFiles("ClientPatchFiles_ZV", kExtractPrefix);
    ServeFile(std::string(kServed) + kExtractPrefix + "KQVerInfo_New.ver", ExtractRecord());
    WriteTree("crash-extract-src", ExtractPatchContent());
    ASSERT_TRUE(MakeArchive("crash-extract.kqp", "crash-extract-src"));
    ServeFile(std::string(kServed) + kExtractPrefix + "00000100.kqp", ReadBytes("crash-extract.kqp"));
  }
};

// After each kill the files under their final names are whole (the old or the new
// content, never a part), above all the launcher that the finisher would swap in;
// the next undisturbed run then gives the folder of a run never interrupted, with no
// temporary left anywhere.
TEST_F(CrashDuringExtraction, AKillAtAnyChunkIsRepairedByTheNextRun) {
  const FileMap content = ExtractPatchContent();
  FileMap expected;
  {
    GameFolder folder("crash extract reference");
    MakeOldExtractGame();
    ASSERT_EQ(RunKqpatch(), 2) << "the delivered launcher waits for the finisher";
    expected = GameState();
  }
  ASSERT_EQ(expected.at("KQAutoPatch.new"), content.at("KQAutoPatch.new"));
  ASSERT_EQ(expected.at("KQVerInfo.ver"), ExtractRecord());
  // Every entry's chunks: the large ones several each, the small ones one each.
  int expectedChunks = 0;
  for (const auto& file : content) expectedChunks += static_cast<int>((file.second.size() + kChunk - 1) / kChunk);
  {
    // One chunk more than the archive has is never reached: the kill points below are
    // all the chunks there are.
    GameFolder folder("crash extract count");
    MakeOldExtractGame();
    ASSERT_EQ(RunKillPatch(expectedChunks + 1), 0);
  }
  int tried = 0;
  for (int killAt = 1; killAt <= expectedChunks; ++killAt) {
    SCOPED_TRACE("killed after extraction chunk " + std::to_string(killAt));
    GameFolder folder("crash extract at " + std::to_string(killAt));
    MakeOldExtractGame();
    EXPECT_EQ(RunKillPatch(killAt), 3) << "the run was not killed";
    const FileMap killed = ReadTree(".");
    if (killed.count("KQAutoPatch.new")) {
      EXPECT_TRUE(killed.at("KQAutoPatch.new") == content.at("KQAutoPatch.new"))
          << "a partial KQAutoPatch.new of " << killed.at("KQAutoPatch.new").size() << " bytes";
    }
    const std::string& big = killed.at("Data\\big.dat");
    EXPECT_TRUE(big == "the old big file" || big == content.at("Data\\big.dat"))
        << "Data\\big.dat holds " << big.size() << " bytes";
    EXPECT_EQ(killed.at("KQVerInfo.ver"), std::string(kExtractPrefix) + "00000100");
    EXPECT_EQ(RunKqpatch(), 2);
    EXPECT_EQ(GameState(), expected);
    ++tried;
  }
  std::printf("kill points during extraction: %d\n", tried);
}

}  // namespace
