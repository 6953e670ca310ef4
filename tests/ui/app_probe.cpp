// A program built on the application object, started by the tests. What it does is
// chosen by the first word of its arguments:
//   fail   InitInstance reports and returns FALSE; ExitInstance returns 3.
//   modal  the main window is a dialog that ends itself; InitInstance returns TRUE,
//          so Run must see the WM_QUIT that the main window's end posts; ExitInstance
//          returns 5.
//   keys   shows the dialog "ui probe keys" painted in kProbeColor until Enter or
//          Escape (Enter reaches OnOK before and through the dialog manager); the exit
//          status is 10 x OnCancel calls + OnOK calls, 99 when nothing came in 120 s.
// It writes "report.txt" in its current folder: the argument text between brackets,
// and whether m_hInstance is the program's module.
#include <cstdio>
#include <cstring>

#include "tests/ui/TestIds.h"
#include "ui/Dialog.h"
#include "ui/WinApp.h"

namespace {

const COLORREF kProbeColor = RGB(255, 128, 0);
const UINT_PTR kEndTimer = 1;
// How long the interactive dialog waits for its keys. The test drives it with about
// ten program starts first (kqdrive, screenshots), each several seconds under the
// 32-bit emulation on a busy machine.
const UINT kInteractiveEndMs = 120000;

class ProbeDialog : public ui::CDialog {
public:
  explicit ProbeDialog(bool interactive) : CDialog(IDD_UI_TEST), m_interactive(interactive) {}
  int okCalls = 0;
  int cancelCalls = 0;

protected:
  BOOL OnInitDialog() override {
    if (m_interactive) SetWindowText("ui probe keys");
    SetTimer(kEndTimer, m_interactive ? kInteractiveEndMs : 100);
    return CDialog::OnInitDialog();
  }
  void OnTimer(UINT_PTR) override { EndDialog(m_interactive ? -1 : IDOK); }
  BOOL OnEraseBkgnd(HDC dc) override {
    RECT client;
    GetClientRect(&client);
    HBRUSH brush = ::CreateSolidBrush(kProbeColor);
    ::FillRect(dc, &client, brush);
    ::DeleteObject(brush);
    return TRUE;
  }
  BOOL PreTranslateMessage(MSG* msg) override {
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN) OnOK();
    return CDialog::PreTranslateMessage(msg);
  }
  void OnOK() override {
    ++okCalls;
    CDialog::OnOK();
  }
  void OnCancel() override {
    ++cancelCalls;
    CDialog::OnCancel();
  }

private:
  bool m_interactive;
};

class ProbeApp : public ui::CWinApp {
public:
  BOOL InitInstance() override {
    Report();
    if (std::strncmp(m_lpCmdLine, "fail", 4) == 0) return FALSE;
    bool interactive = std::strncmp(m_lpCmdLine, "keys", 4) == 0;
    ProbeDialog dialog(interactive);
    m_pMainWnd = &dialog;
    INT_PTR result = dialog.DoModal();
    m_exitCode = interactive ? (result == -1 ? 99 : 10 * dialog.cancelCalls + dialog.okCalls) : 5;
    return TRUE;
  }
  int ExitInstance() override { return std::strncmp(m_lpCmdLine, "fail", 4) == 0 ? 3 : m_exitCode; }

private:
  void Report() {
    std::FILE* file = std::fopen("report.txt", "w");
    if (!file) return;
    std::fprintf(file, "cmdline=[%s]\ninstance=%d\n", m_lpCmdLine, m_hInstance == ::GetModuleHandleA(nullptr));
    std::fclose(file);
  }

  int m_exitCode = 0;
};

ProbeApp g_probeApp;

}  // namespace
