// kqdrive: the test driver as a program, for scripts that drive a window of another
// process in the same Wine session. A window is named by its exact title, or by
// "class=NAME". Control id 0 means the window itself.
//
//   kqdrive wait  WINDOW [TIMEOUT_MS]      exit 0 once the window is visible
//   kqdrive gone  WINDOW [TIMEOUT_MS]      exit 0 once no such window is visible
//   kqdrive text  WINDOW ID                prints the text
//   kqdrive state WINDOW ID                prints "enabled=E visible=V checked=C"
//   kqdrive rect  WINDOW [ID]              prints "left top right bottom" (screen)
//   kqdrive click WINDOW ID                posts BM_CLICK
//   kqdrive clickat WINDOW X Y             posts a left click at a client point
//   kqdrive key   WINDOW return|escape|VK  posts a key to the focused control
//   kqdrive post  WINDOW MESSAGE [WPARAM [LPARAM]]
//                                          posts a message (numbers, 0x for hex)
//   kqdrive texts WINDOW                   prints "ID TEXT" for every child window
//   kqdrive items WINDOW ID                prints a combo box's selection, then its items
// Exit status 0 on success, 1 when the window or control is missing, 2 on bad usage.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tests/driver/Driver.h"

namespace {
const DWORD kDefaultTimeoutMs = 10000;

int Usage() {
  std::fprintf(stderr, "usage: kqdrive wait|gone|text|state|rect|click|clickat|key|post|texts|items WINDOW [ARGS]\n");
  return 2;
}

HWND FindNamed(const char* name, DWORD timeoutMs) {
  if (std::strncmp(name, "class=", 6) == 0) return kqdrive::WaitForWindow(name + 6, nullptr, timeoutMs);
  return kqdrive::WaitForWindow(nullptr, name, timeoutMs);
}

BOOL CALLBACK PrintChild(HWND child, LPARAM) {
  std::printf("%d %s\n", GetDlgCtrlID(child), kqdrive::Text(child).c_str());
  return TRUE;
}

UINT KeyByName(const char* name) {
  if (std::strcmp(name, "return") == 0) return VK_RETURN;
  if (std::strcmp(name, "escape") == 0) return VK_ESCAPE;
  return static_cast<UINT>(std::strtoul(name, nullptr, 0));
}

HWND Target(HWND window, int argc, char** argv, int index) {
  int id = argc > index ? std::atoi(argv[index]) : 0;
  return id == 0 ? window : kqdrive::Control(window, id);
}

int RunCommand(const char* command, HWND window, int argc, char** argv) {
  if (std::strcmp(command, "wait") == 0) return 0;
  if (std::strcmp(command, "text") == 0 || std::strcmp(command, "state") == 0 || std::strcmp(command, "rect") == 0 ||
      std::strcmp(command, "click") == 0) {
    HWND target = Target(window, argc, argv, 3);
    if (!target) return 1;
    if (std::strcmp(command, "text") == 0) {
      std::printf("%s\n", kqdrive::Text(target).c_str());
    } else if (std::strcmp(command, "state") == 0) {
      std::printf("enabled=%d visible=%d checked=%d\n", kqdrive::IsEnabled(target), kqdrive::IsVisible(target),
                  kqdrive::IsChecked(target));
    } else if (std::strcmp(command, "rect") == 0) {
      RECT r = kqdrive::ScreenRect(target);
      std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
    } else if (!kqdrive::Click(target)) {
      return 1;
    }
    return 0;
  }
  if (std::strcmp(command, "clickat") == 0 && argc > 4)
    return kqdrive::ClickAt(window, std::atoi(argv[3]), std::atoi(argv[4])) ? 0 : 1;
  if (std::strcmp(command, "key") == 0 && argc > 3) return kqdrive::PressKey(window, KeyByName(argv[3])) ? 0 : 1;
  if (std::strcmp(command, "post") == 0 && argc > 3) {
    UINT message = static_cast<UINT>(std::strtoul(argv[3], nullptr, 0));
    WPARAM wParam = argc > 4 ? static_cast<WPARAM>(std::strtoull(argv[4], nullptr, 0)) : 0;
    LPARAM lParam = argc > 5 ? static_cast<LPARAM>(std::strtoll(argv[5], nullptr, 0)) : 0;
    return PostMessageA(window, message, wParam, lParam) ? 0 : 1;
  }
  if (std::strcmp(command, "items") == 0 && argc > 3) {
    HWND combo = kqdrive::Control(window, std::atoi(argv[3]));
    if (!combo) return 1;
    std::printf("selection %d\n", static_cast<int>(SendMessageA(combo, CB_GETCURSEL, 0, 0)));
    int count = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      char item[256] = {};
      if (SendMessageA(combo, CB_GETLBTEXTLEN, i, 0) < static_cast<LRESULT>(sizeof(item)))
        SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
      std::printf("%d %s\n", i, item);
    }
    return 0;
  }
  if (std::strcmp(command, "texts") == 0) {
    EnumChildWindows(window, PrintChild, 0);
    return 0;
  }
  return Usage();
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  const char* command = argv[1];
  bool timed = std::strcmp(command, "wait") == 0 || std::strcmp(command, "gone") == 0;
  DWORD timeoutMs = timed && argc > 3 ? static_cast<DWORD>(std::atoi(argv[3])) : kDefaultTimeoutMs;
  if (std::strcmp(command, "gone") == 0) {
    bool gone = kqdrive::WaitUntil([&] { return FindNamed(argv[2], 0) == nullptr; }, timeoutMs);
    return gone ? 0 : 1;
  }
  HWND window = FindNamed(argv[2], timeoutMs);
  if (!window) {
    std::fprintf(stderr, "kqdrive: no window %s\n", argv[2]);
    return 1;
  }
  int status = RunCommand(command, window, argc, argv);
  std::fflush(stdout);
  return status;
}
