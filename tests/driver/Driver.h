// A small driver for windows under test, in this process or another one of the same
// Wine session: find a window, read its controls, click, press keys. Clicks and keys
// are posted, so a driver never blocks on a window that opens a modal box.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace kqdrive {

// Calls condition until it is true or timeoutMs have passed; pumps this thread's
// messages in between, so windows of the calling thread keep running.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);
// A visible top-level window with that class and title (null matches any), or null
// after timeoutMs.
HWND WaitForWindow(const char* className, const char* title, DWORD timeoutMs);
bool WaitForGone(HWND hwnd, DWORD timeoutMs);

HWND Control(HWND dialog, int id);
std::string Text(HWND hwnd);
bool IsEnabled(HWND hwnd);
bool IsVisible(HWND hwnd);
// BM_GETCHECK reports BST_CHECKED.
bool IsChecked(HWND button);
// The window's rectangle in screen coordinates.
RECT ScreenRect(HWND hwnd);

// Posts BM_CLICK: the button's own press and release, then BN_CLICKED.
bool Click(HWND button);
// Posts a mouse move, a left press and a release at a point of the window's client area.
bool ClickAt(HWND hwnd, int x, int y);
// The window that has the keyboard focus in the thread of hwnd, or hwnd itself.
HWND FocusOf(HWND hwnd);
// Posts a key press and release to the focused window of the thread of hwnd.
bool PressKey(HWND hwnd, UINT virtualKey);

}  // namespace kqdrive
