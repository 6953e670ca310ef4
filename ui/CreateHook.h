// Attaches a CWnd to the window that one creation call makes, before that window's
// first message.
//
// Why a hook: a dialog made from a template, and a system control, run their first
// messages (WM_NCCREATE, WM_CREATE, a combo box's WM_MEASUREITEM) inside the creation
// call, before a handle is returned that a window property could be set on. For the
// length of one creation call this scope installs a computer-based-training hook on
// the current thread; at HCBT_CREATEWND for the first window whose parent is the one
// expected, it links the object (window property) and puts the object's procedure in
// front. From then on the window property is the only link. Scopes nest: creating a
// child inside OnCreate opens an inner scope.
#pragma once

#include <windows.h>

namespace ui {

class CWnd;

class CCreateHook {
public:
  CCreateHook(CWnd* wnd, HWND expectedParent);
  ~CCreateHook();
  CCreateHook(const CCreateHook&) = delete;
  CCreateHook& operator=(const CCreateHook&) = delete;

private:
  static LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam);
  bool TakeWindow(HWND hwnd, const CREATESTRUCTA* cs);

  CWnd* m_wnd;
  HWND m_parent;
  HHOOK m_hook;
  CCreateHook* m_outer;
};

}  // namespace ui
