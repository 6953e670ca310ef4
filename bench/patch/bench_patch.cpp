// One whole patch run in the current folder against the server given on the command
// line, with a window that notes when each stage ends: prints the seconds of the
// download, the extraction and the pack folding, the total, and the process's peak
// working set. With a release key, the run checks the record's and the archive's
// signatures as a build with the publisher's key does.
//
// usage: bench_patch PORT [RELEASE_KEY]
#include "patch/Patcher.h"

#include <windows.h>
#include <mmsystem.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>

namespace {

// Notes the time of the first call of each step and of the last progress call.
class TimingWindow : public cPatchWindow {
public:
  TimingWindow() {
    for (DWORD& time : m_stepStart) time = 0;
  }
  void SetPatchStep(int step, unsigned) override {
    if (step >= 0 && step < kSteps && m_stepStart[step] == 0) m_stepStart[step] = timeGetTime();
    m_step = step;
  }
  void SetPatchProgress(const char*, unsigned) override {
    if (m_step == PATCH_STEP_EXTRACT) m_extractEnd = timeGetTime();
  }
  void SetDownloadText(unsigned, unsigned, const char*) override {}
  void SetVersionText(const char*) override {}
  void RedrawVersionArea() override {}
  void OnPatchFinished(bool) override { m_finished = timeGetTime(); }

  static const int kSteps = 5;
  DWORD m_stepStart[kSteps];
  DWORD m_extractEnd = 0;
  DWORD m_finished = 0;
  int m_step = -1;
};

class QuietPatcher : public cPatcher {
public:
  explicit QuietPatcher(cPatchWindow* window) : cPatcher(window) {}

protected:
  void ShowMessageBox(HWND, const char* text, const char* caption, UINT) override {
    std::fprintf(stderr, "%s: %s\n", caption, text);
  }
};

double Seconds(DWORD from, DWORD to) { return (to - from) / 1000.0; }

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: bench_patch PORT [RELEASE_KEY]\n");
    return 2;
  }
  timeBeginPeriod(1);
  HWND errors = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  TimingWindow window;
  QuietPatcher engine(&window);
  engine.SetDownloadServer("127.0.0.1", std::atoi(argv[1]));
  // With a key, the record's and the archive's signatures are checked as in a build
  // with KQ_RELEASE_PUBLIC_KEY.
  if (argc == 3 && !engine.SetReleaseKey(argv[2])) {
    std::fprintf(stderr, "not a release key: %s\n", argv[2]);
    return 2;
  }
  if (!engine.Init(errors, GetModuleHandleA(nullptr))) return 1;
  DWORD start = timeGetTime();
  engine.Run();
  DWORD end = timeGetTime();
  MSG message;
  int failed = 0;
  while (PeekMessageA(&message, errors, 0, 0, PM_REMOVE)) {
    if (message.message == WM_PATCH_ERROR) {
      std::fprintf(stderr, "patch error %d\n", static_cast<int>(message.wParam));
      failed = 1;
    }
  }
  const DWORD* s = window.m_stepStart;
  std::printf("download   %7.2f s\n", Seconds(s[PATCH_STEP_DOWNLOAD], s[PATCH_STEP_EXTRACT]));
  std::printf("extraction %7.2f s\n", Seconds(s[PATCH_STEP_EXTRACT], window.m_extractEnd));
  std::printf("packs      %7.2f s\n", Seconds(window.m_extractEnd, s[PATCH_STEP_DONE]));
  std::printf("total      %7.2f s\n", Seconds(start, end));
  PROCESS_MEMORY_COUNTERS memory = {};
  memory.cb = sizeof(memory);
  if (GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof(memory))) {
    std::printf("peak working set %.1f MiB\n", memory.PeakWorkingSetSize / (1024.0 * 1024.0));
  }
  DestroyWindow(errors);
  timeEndPeriod(1);
  return failed;
}
