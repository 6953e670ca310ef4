// kqpatch: unattended patching of the game folder that is the current directory, for
// operators who patch many machines and for support staff. It runs the launcher's
// patch engine with a console in place of the window and never starts the game or
// the update finisher.
//
//   kqpatch [--host HOST] [--port PORT]
//
// Exit status:
//   0   the folder is up to date or was patched
//   1   wrong command line
//   2   a delivered ".new" file waits: start KQAutoPatch.exe to finish the update
//   10 + the engine's error code, with the error's text on stderr:
//   10 cannot connect, 11 cannot read KQVerInfo.ver, 12 no usable server version,
//   13 download failed, 14 unpacking failed, 15 pack update failed,
//   16 cannot replace the version file, 17 client too old, 18 cannot start
#include "patch/DownloadServer.h"
#include "patch/PatchMessages.h"
#include "tools/kqpatch/ConsolePatcher.h"
#include "tools/kqpatch/ConsoleWindow.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const int kExitOk = 0;
const int kExitUsage = 1;
const int kExitNewFileWaiting = 2;
const int kExitErrorBase = 10;

const char* ErrorText(int code) {
  switch (code) {
    case PATCH_ERR_CONNECT: return "cannot connect to the download server";
    case PATCH_ERR_READ_VERSION: return "cannot read the version file KQVerInfo.ver";
    case PATCH_ERR_SERVER_VERSION: return "the server's version record is missing or does not fit this client";
    case PATCH_ERR_DOWNLOAD: return "the patch archive could not be downloaded";
    case PATCH_ERR_EXTRACT: return "the patch archive could not be unpacked";
    case PATCH_ERR_PACK: return "the pack files could not be updated";
    case PATCH_ERR_WRITE_VERSION: return "the version file could not be replaced";
    case PATCH_ERR_TOO_OLD: return "this client is too old to be patched; install it anew";
    case PATCH_ERR_INIT: return "the patcher could not start";
  }
  return "unknown error";
}

struct Options {
  std::string host;
  int port;
};

bool ParsePort(const char* text, int* port) {
  char* end = nullptr;
  long value = std::strtol(text, &end, 10);
  if (!*text || *end || value < 1 || value > 65535) return false;
  *port = static_cast<int>(value);
  return true;
}

bool ParseOptions(int argc, char** argv, Options* options) {
  options->host = DOWNLOAD_SERVER.host;
  options->port = DOWNLOAD_SERVER.port;
  for (int i = 1; i < argc; ++i) {
    if (i + 1 >= argc) return false;
    if (std::strcmp(argv[i], "--host") == 0) {
      options->host = argv[++i];
    } else if (std::strcmp(argv[i], "--port") == 0) {
      if (!ParsePort(argv[++i], &options->port)) return false;
    } else {
      return false;
    }
  }
  return true;
}

// A message-only window that keeps the first error the engine posts.
class ErrorCatcher {
public:
  ErrorCatcher() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "kqpatch errors";
    RegisterClassA(&windowClass);
    m_hwnd = CreateWindowExA(0, windowClass.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                             windowClass.hInstance, nullptr);
  }
  ~ErrorCatcher() {
    if (m_hwnd) DestroyWindow(m_hwnd);
  }
  ErrorCatcher(const ErrorCatcher&) = delete;
  ErrorCatcher& operator=(const ErrorCatcher&) = delete;

  HWND Handle() const { return m_hwnd; }
  // The first posted error code, or -1.
  int FirstError() const {
    MSG message;
    int first = -1;
    while (PeekMessageA(&message, m_hwnd, 0, 0, PM_REMOVE)) {
      if (message.message == WM_PATCH_ERROR && first < 0) first = static_cast<int>(message.wParam);
    }
    return first;
  }

private:
  HWND m_hwnd = nullptr;
};

bool NewFileWaiting() {
  return GetFileAttributesA("KQAutoPatch.new") != INVALID_FILE_ATTRIBUTES ||
         GetFileAttributesA("NorvGFunc.new") != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, &options)) {
    std::fprintf(stderr, "usage: kqpatch [--host HOST] [--port PORT]\n");
    return kExitUsage;
  }
  ErrorCatcher errors;
  if (!errors.Handle()) {
    std::fprintf(stderr, "kqpatch: %s\n", ErrorText(PATCH_ERR_INIT));
    return kExitErrorBase + PATCH_ERR_INIT;
  }
  cConsoleWindow window(stdout);
  cConsolePatcher engine(&window);
  engine.SetDownloadServer(options.host.c_str(), options.port);
  if (!engine.Init(errors.Handle(), GetModuleHandleA(nullptr))) return kExitErrorBase + PATCH_ERR_INIT;
  engine.Run();

  int error = errors.FirstError();
  if (error >= 0) {
    std::fprintf(stderr, "kqpatch: %s\n", ErrorText(error));
    return kExitErrorBase + error;
  }
  if (NewFileWaiting()) {
    std::printf("a new launcher or graphics module is waiting: start KQAutoPatch.exe to finish the update\n");
    return kExitNewFileWaiting;
  }
  std::printf("the game is at version %s\n", window.Version().c_str());
  return kExitOk;
}
