// The application object and WinMain, seen from outside: a probe program built on
// them runs as its own process, and its exit status and report tell what happened.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>

namespace {

std::string ProbePath() {
  char path[MAX_PATH];
  DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string self(path, length);
  return self.substr(0, self.find_last_of("\\/") + 1) + "ui_app_probe.exe";
}

// Runs the probe with the given command line; returns its exit status, or -1 when it
// could not start or did not end within 20 s (it is then ended).
long RunProbe(const std::string& commandLine) {
  std::string probe = ProbePath();
  std::string line = commandLine;
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!::CreateProcessA(probe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return -1;
  DWORD status = static_cast<DWORD>(-1);
  if (::WaitForSingleObject(process.hProcess, 20000) != WAIT_OBJECT_0) {
    ::TerminateProcess(process.hProcess, 1);
  } else {
    ::GetExitCodeProcess(process.hProcess, &status);
  }
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return static_cast<long>(status);
}

std::string ReadReport() {
  std::ifstream file("report.txt");
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

struct AppCase {
  const char* name;
  const char* commandLine;
  long exitStatus;
  const char* report;
};

TEST(WinApp, WinMainRunsInitInstanceAndReturnsExitInstance) {
  const AppCase cases[] = {
      {"InitInstance fails", "ui_app_probe.exe fail  two words", 3, "cmdline=[fail  two words]\ninstance=1\n"},
      {"main window ends the loop", "\"ui_app_probe.exe\" modal", 5, "cmdline=[modal]\ninstance=1\n"},
  };
  for (const AppCase& c : cases) {
    SCOPED_TRACE(c.name);
    ::DeleteFileA("report.txt");
    EXPECT_EQ(c.exitStatus, RunProbe(c.commandLine));
    EXPECT_EQ(c.report, ReadReport());
  }
}

}  // namespace
