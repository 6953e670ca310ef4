#include "finisher/ExecuterDlg.h"

#include "finisher/SwapUpdatedFiles.h"
#include "finisher/resource.h"
#include "patch/GraphicsModule.h"
#include "patch/LauncherMutex.h"
#include "ui/MinimizedIcon.h"
#include "ui/WinApp.h"

#include <string>

namespace {

const UINT_PTR kTimerId = 1;
const UINT kTimerPeriodMs = 1000;
const DWORD kDelayMs = 1000;

UINT_PTR g_nTimer = 0;

}  // namespace

cExecuterDlg::cExecuterDlg()
    : CDialog(IDD_KQEXECUTER_DIALOG),
      m_hIcon(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME))) {}

BOOL cExecuterDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  SetIcon(m_hIcon, TRUE);
  SetIcon(m_hIcon, FALSE);
  SetWindowText("");
  SetWindowPos(nullptr, GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0,
               SWP_HIDEWINDOW);
  SelectGraphicsModule();
  m_dwStartTick = GetTickCount();
  m_bDue = FALSE;
  g_nTimer = SetTimer(kTimerId, kTimerPeriodMs);
  return TRUE;
}

// The old launcher may still be open, with its executable in use, for as long as
// the player leaves an error box of its finish on the screen: the swap waits until
// it has ended (its folder mutex is gone), however long that takes.
void cExecuterDlg::OnTimer(UINT_PTR) {
  if (GetTickCount() - m_dwStartTick > kDelayMs) m_bDue = TRUE;
  if (m_bDue && !IsLauncherRunningHere()) {
    KillTimer(g_nTimer);
    // The argument text goes back to the launcher whole, behind one space that
    // stands where a program name would.
    ui::CWinApp* app = ui::CWinApp::GetApp();
    std::string commandLine = std::string(" ") + (app && app->m_lpCmdLine ? app->m_lpCmdLine : "");
    SwapUpdatedFiles(commandLine.c_str());
    PostMessage(WM_CLOSE);
    m_bDue = FALSE;
  }
  Default();
}

void cExecuterDlg::OnPaint() {
  if (!IsIconic()) {
    CDialog::OnPaint();
    return;
  }
  ui::PaintMinimizedIcon(*this, m_hIcon);
}

HCURSOR cExecuterDlg::OnQueryDragIcon() { return reinterpret_cast<HCURSOR>(m_hIcon); }
