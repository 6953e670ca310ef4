// The launcher's start on an up-to-date game folder, as a player sees it: the time
// from the start of the process to the moment its START button is enabled, against a
// bare program that only fetches the version record once with WinINet and ends. Both
// are started the same way from here, alternately, so Wine's process start weighs on
// both alike. Run in the game folder, under the Wine of the build.
//
// usage: bench_start <launcher.exe> <record_fetch.exe> <port> <record path> [rounds]
#include "tests/driver/Driver.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const char kTitle[] = "KQ Online Launcher";
const int kStartButton = 1000;
const DWORD kTimeoutMs = 60000;

double Seconds() {
  LARGE_INTEGER frequency, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

bool Start(const std::string& commandLine, PROCESS_INFORMATION* process) {
  std::string line = commandLine;
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  return CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, process) != 0;
}

// Seconds from the launcher's start to its START button enabled; -1 on failure.
double LauncherRound(const std::string& launcher) {
  PROCESS_INFORMATION process = {};
  double start = Seconds();
  if (!Start("\"" + launcher + "\"", &process)) return -1;
  HWND window = nullptr;
  bool ready = kqdrive::WaitUntil(
      [&] {
        if (!window) window = FindWindowA(nullptr, kTitle);
        HWND button = window ? GetDlgItem(window, kStartButton) : nullptr;
        return button && IsWindowEnabled(button);
      },
      kTimeoutMs);
  double seconds = Seconds() - start;
  // Closing the window ends the launcher as the close button does.
  if (window) PostMessageA(window, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process.hProcess, 20000) == WAIT_TIMEOUT) TerminateProcess(process.hProcess, 1);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return ready ? seconds : -1;
}

// Seconds from the bare program's start to its end; -1 when it failed.
double BareRound(const std::string& bare, const std::string& port, const std::string& path) {
  PROCESS_INFORMATION process = {};
  double start = Seconds();
  if (!Start("\"" + bare + "\" " + port + " " + path, &process)) return -1;
  WaitForSingleObject(process.hProcess, kTimeoutMs);
  double seconds = Seconds() - start;
  DWORD code = 1;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return code == 0 ? seconds : -1;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: bench_start <launcher.exe> <record_fetch.exe> <port> <record path> [rounds]\n");
    return 2;
  }
  const int rounds = argc > 5 ? std::max(1, std::atoi(argv[5])) : 5;
  std::vector<double> launcher, bare;
  for (int i = 0; i < rounds; ++i) {
    double a, b;
    if (i % 2 == 0) {
      a = LauncherRound(argv[1]);
      b = BareRound(argv[2], argv[3], argv[4]);
    } else {
      b = BareRound(argv[2], argv[3], argv[4]);
      a = LauncherRound(argv[1]);
    }
    if (a < 0 || b < 0) {
      std::fprintf(stderr, "round %d failed (launcher %.2f, bare %.2f)\n", i + 1, a, b);
      return 1;
    }
    std::printf("round %d: launcher to START enabled %.3f s, bare record fetch %.3f s\n", i + 1, a, b);
    launcher.push_back(a);
    bare.push_back(b);
  }
  const double a = Median(launcher), b = Median(bare);
  std::printf("median of %d rounds (process start included in both)\n", rounds);
  std::printf("launcher, start to START enabled: %.3f s\n", a);
  std::printf("bare record fetch, start to end:  %.3f s\n", b);
  std::printf("difference:                       %.3f s\n", a - b);
  return 0;
}
