// CWinApp: the one application object, and the WinMain that drives it.
//
// WinMain fills m_hInstance, m_lpCmdLine (the arguments without the program name)
// and m_nCmdShow, then runs InitInstance. When it returns FALSE, ExitInstance runs at
// once; otherwise Run pumps messages until WM_QUIT and then runs ExitInstance. The
// result of ExitInstance is the process exit code. Destroying the window that
// m_pMainWnd points to posts WM_QUIT and clears m_pMainWnd.
#pragma once

#include <windows.h>

namespace ui {

class CWnd;

class CWinApp {
public:
  CWinApp();
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  // The application object of the process, or null when there is none.
  static CWinApp* GetApp();
  // What WinMain does; returns the exit code (-1 without an application object).
  static int Main(HINSTANCE instance, LPSTR cmdLine, int cmdShow);

  virtual BOOL InitInstance();
  // Returns the wParam of the WM_QUIT that ended Run, 0 when there was none.
  virtual int ExitInstance();
  // Pumps messages until WM_QUIT, then returns ExitInstance().
  virtual int Run();

  HINSTANCE m_hInstance;
  LPSTR m_lpCmdLine;
  int m_nCmdShow;
  CWnd* m_pMainWnd;

private:
  int m_nQuitCode;
};

}  // namespace ui
