#include "ui/WinApp.h"

namespace ui {

namespace {
CWinApp* g_app = nullptr;
}  // namespace

CWinApp::CWinApp()
    : m_hInstance(nullptr), m_lpCmdLine(nullptr), m_nCmdShow(SW_SHOWNORMAL), m_pMainWnd(nullptr), m_nQuitCode(0) {
  g_app = this;
}

CWinApp::~CWinApp() {
  if (g_app == this) g_app = nullptr;
}

CWinApp* CWinApp::GetApp() { return g_app; }

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::ExitInstance() { return m_nQuitCode; }

int CWinApp::Run() {
  MSG msg;
  for (;;) {
    BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0) {
      m_nQuitCode = static_cast<int>(msg.wParam);
      break;
    }
    if (got == -1) break;
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
  return ExitInstance();
}

int CWinApp::Main(HINSTANCE instance, LPSTR cmdLine, int cmdShow) {
  CWinApp* app = GetApp();
  if (!app) return -1;
  app->m_hInstance = instance;
  app->m_lpCmdLine = cmdLine;
  app->m_nCmdShow = cmdShow;
  if (!app->InitInstance()) return app->ExitInstance();
  return app->Run();
}

}  // namespace ui

// Kept in this file so that a program which defines its application object pulls it
// in from the library; a program with its own main never calls it.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR cmdLine, int cmdShow) {
  return ui::CWinApp::Main(instance, cmdLine, cmdShow);
}
