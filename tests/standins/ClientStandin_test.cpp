// The game-client stand-in started as the launcher starts the game: application name
// "KQClient-Connect.exe" (found in the starting process's folder), command line a
// space and the launch token, and here another folder as its current directory. The
// log in that folder holds exactly one line: the command line as given, a tab, the
// folder.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

const unsigned kStartTimeoutMs = 60000;

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::string FullPath(const std::string& path) {
  char full[MAX_PATH] = {};
  DWORD length = GetFullPathNameA(path.c_str(), sizeof(full), full, nullptr);
  return length > 0 && length < sizeof(full) ? std::string(full, length) : path;
}

TEST(ClientStandin, LogsItsCommandLineAndCurrentFolder) {
  const char* bin = std::getenv("KQ_BIN_DIR");
  ASSERT_NE(bin, nullptr);
  CreateDirectoryA("game", nullptr);
  ASSERT_TRUE(SetCurrentDirectoryA("game"));
  CreateDirectoryA("other", nullptr);
  DeleteFileA("other\\KQClient-Connect.log");
  DeleteFileA("KQClient-Connect.log");
  ASSERT_TRUE(CopyFileA((std::string(bin) + "\\KQClient-Connect.exe").c_str(), "KQClient-Connect.exe", FALSE));
  const std::string other = FullPath("other");

  char application[512] = "KQClient-Connect.exe";
  char commandLine[256] = " vqtplmsozeb";
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  ASSERT_TRUE(CreateProcessA(application, commandLine, nullptr, nullptr, FALSE,
                             CREATE_DEFAULT_ERROR_MODE | NORMAL_PRIORITY_CLASS, nullptr, other.c_str(), &startup,
                             &process));
  CloseHandle(process.hThread);
  EXPECT_EQ(WaitForSingleObject(process.hProcess, kStartTimeoutMs), WAIT_OBJECT_0);
  DWORD status = 1;
  GetExitCodeProcess(process.hProcess, &status);
  CloseHandle(process.hProcess);
  SetCurrentDirectoryA("..");

  EXPECT_EQ(status, 0u);
  EXPECT_EQ(ReadBytes("game\\other\\KQClient-Connect.log"), " vqtplmsozeb\t" + other + "\r\n");
  EXPECT_EQ(GetFileAttributesA("game\\KQClient-Connect.log"), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
