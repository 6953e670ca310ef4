// kill_patch: the launcher's patch engine run in the current folder, like kqpatch,
// that ends its own process (exit status 3, no clean-up) right after the Nth chunk
// that the extraction has written, counted over the whole archive, or once the
// archive download holds N bytes:
//
//   kill_patch.exe --host HOST --port PORT --kill-at N
//   kill_patch.exe --host HOST --port PORT --kill-at-byte N
//
// The crash-consistency test uses it to cut a run at exact points inside an entry,
// the resume test to cut a download. Without being killed it exits with 0 and prints
// the number of chunks it saw.
#include "patch/Patcher.h"
#include "tests/patch/SilentWindow.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const UINT kKilledStatus = 3;

class KillingPatcher : public cPatcher {
public:
  KillingPatcher(cPatchWindow* window, int killAt, unsigned killAtByte)
      : cPatcher(window), m_killAt(killAt), m_killAtByte(killAtByte) {}
  int Chunks() const { return m_chunks; }

protected:
  bool OnExtractProgress(const char* name, unsigned done) override {
    if (++m_chunks == m_killAt) TerminateProcess(GetCurrentProcess(), kKilledStatus);
    return cPatcher::OnExtractProgress(name, done);
  }
  void OnDownloadProgress(unsigned total, unsigned done) override {
    if (m_killAtByte && done >= m_killAtByte) TerminateProcess(GetCurrentProcess(), kKilledStatus);
    cPatcher::OnDownloadProgress(total, done);
  }
  void ShowMessageBox(HWND, const char* text, const char* caption, UINT) override {
    std::fprintf(stderr, "%s: %s\n", caption, text);
  }

private:
  int m_killAt;
  unsigned m_killAtByte;
  int m_chunks = 0;
};

const char* Option(int argc, char** argv, const char* name) {
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], name) == 0) return argv[i + 1];
  }
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  const char* host = Option(argc, argv, "--host");
  const char* port = Option(argc, argv, "--port");
  const char* killAt = Option(argc, argv, "--kill-at");
  const char* killAtByte = Option(argc, argv, "--kill-at-byte");
  if (!host || !port || (!killAt && !killAtByte)) {
    std::fprintf(stderr, "usage: kill_patch --host HOST --port PORT (--kill-at N | --kill-at-byte N)\n");
    return 1;
  }
  SilentWindow window;
  KillingPatcher engine(&window, killAt ? std::atoi(killAt) : 0,
                        killAtByte ? static_cast<unsigned>(std::strtoul(killAtByte, nullptr, 10)) : 0);
  engine.SetDownloadServer(host, std::atoi(port));
  HWND errors = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  if (!engine.Init(errors, GetModuleHandleA(nullptr))) return 1;
  engine.Run();
  std::printf("chunks %d\n", engine.Chunks());
  return 0;
}
