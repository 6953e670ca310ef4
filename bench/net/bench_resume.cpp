// The engine's archive download over a connection that breaks every so often: one
// whole engine run in the current folder (its version file names the archive) against
// a server on 127.0.0.1, stopped where the archive would be unpacked. Prints the
// seconds, the archive's size and how many attempts it took.
//
// usage: bench_resume <port>
#include "patch/Patcher.h"
#include "tests/patch/SilentWindow.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

// Notes the downloaded archive instead of unpacking it, and counts the attempts.
class DownloadOnly : public cPatcher {
public:
  using cPatcher::cPatcher;
  unsigned archiveSize = 0;
  bool downloaded = false;
  int pauses = 0;

protected:
  bool ExtractPatch(const char* archiveName) override {
    WIN32_FILE_ATTRIBUTE_DATA data;
    downloaded = GetFileAttributesExA(archiveName, GetFileExInfoStandard, &data) != 0;
    if (downloaded) archiveSize = data.nFileSizeLow;
    DeleteFileA(archiveName);
    return false;
  }
  bool PauseBeforeResume(unsigned ms) override {
    ++pauses;
    return cPatcher::PauseBeforeResume(ms);
  }
  void ShowMessageBox(HWND, const char* text, const char* caption, UINT) override {
    std::fprintf(stderr, "%s: %s\n", caption, text);
  }
};

double Seconds() {
  LARGE_INTEGER frequency, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: bench_resume <port>\n");
    return 2;
  }
  SilentWindow window;
  DownloadOnly engine(&window);
  engine.SetDownloadServer("127.0.0.1", std::atoi(argv[1]));
  HWND errors = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  if (!engine.Init(errors, GetModuleHandleA(nullptr))) return 1;
  double start = Seconds();
  engine.Run();
  double seconds = Seconds() - start;
  if (!engine.downloaded) {
    std::fprintf(stderr, "the archive was not downloaded\n");
    return 1;
  }
  std::printf("continued download: %u bytes in %.2f s (%.1f MB/s), %d attempts\n", engine.archiveSize, seconds,
              engine.archiveSize / 1048576.0 / seconds, engine.pauses + 1);
  return 0;
}
