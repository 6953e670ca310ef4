#include "tests/driver/Driver.h"

namespace kqdrive {

namespace {
const DWORD kSendTimeoutMs = 2000;

void PumpMessages() {
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
}

LRESULT SendWithTimeout(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  if (!::SendMessageTimeoutA(hwnd, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result)) return 0;
  return static_cast<LRESULT>(result);
}

struct WindowQuery {
  const char* className;
  const char* title;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND hwnd, LPARAM lParam) {
  WindowQuery* query = reinterpret_cast<WindowQuery*>(lParam);
  if (!::IsWindowVisible(hwnd)) return TRUE;
  char text[256];
  if (query->className && (!::GetClassNameA(hwnd, text, sizeof(text)) || lstrcmpA(text, query->className) != 0))
    return TRUE;
  if (query->title && (::GetWindowTextA(hwnd, text, sizeof(text)) < 0 || lstrcmpA(text, query->title) != 0))
    return TRUE;
  query->found = hwnd;
  return FALSE;
}

LPARAM KeyLParam(UINT virtualKey, bool up) {
  LPARAM scan = static_cast<LPARAM>(::MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC)) << 16;
  return 1 | scan | (up ? (static_cast<LPARAM>(3) << 30) : 0);
}
}  // namespace

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  DWORD start = ::GetTickCount();
  for (;;) {
    PumpMessages();
    if (condition()) return true;
    if (::GetTickCount() - start >= timeoutMs) return false;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

HWND WaitForWindow(const char* className, const char* title, DWORD timeoutMs) {
  WindowQuery query = {className, title, nullptr};
  WaitUntil(
      [&query] {
        ::EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&query));
        return query.found != nullptr;
      },
      timeoutMs);
  return query.found;
}

bool WaitForGone(HWND hwnd, DWORD timeoutMs) {
  return WaitUntil([hwnd] { return !::IsWindow(hwnd); }, timeoutMs);
}

HWND Control(HWND dialog, int id) { return ::GetDlgItem(dialog, id); }

std::string Text(HWND hwnd) {
  char text[1024] = "";
  SendWithTimeout(hwnd, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text));
  text[sizeof(text) - 1] = '\0';
  return text;
}

bool IsEnabled(HWND hwnd) { return ::IsWindowEnabled(hwnd) != FALSE; }
bool IsVisible(HWND hwnd) { return ::IsWindowVisible(hwnd) != FALSE; }
bool IsChecked(HWND button) { return SendWithTimeout(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

RECT ScreenRect(HWND hwnd) {
  RECT rect = {};
  ::GetWindowRect(hwnd, &rect);
  return rect;
}

bool Click(HWND button) { return ::PostMessageA(button, BM_CLICK, 0, 0) != FALSE; }

bool ClickAt(HWND hwnd, int x, int y) {
  LPARAM point = MAKELPARAM(x, y);
  return ::PostMessageA(hwnd, WM_MOUSEMOVE, 0, point) && ::PostMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, point) &&
         ::PostMessageA(hwnd, WM_LBUTTONUP, 0, point);
}

HWND FocusOf(HWND hwnd) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof(info);
  DWORD thread = ::GetWindowThreadProcessId(hwnd, nullptr);
  if (thread && ::GetGUIThreadInfo(thread, &info) && info.hwndFocus) return info.hwndFocus;
  return hwnd;
}

bool PressKey(HWND hwnd, UINT virtualKey) {
  HWND target = FocusOf(hwnd);
  return ::PostMessageA(target, WM_KEYDOWN, virtualKey, KeyLParam(virtualKey, false)) &&
         ::PostMessageA(target, WM_KEYUP, virtualKey, KeyLParam(virtualKey, true));
}

}  // namespace kqdrive
