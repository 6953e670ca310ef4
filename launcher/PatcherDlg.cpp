#include "launcher/PatcherDlg.h"

#include "launcher/MainComponents.h"
#include "launcher/StatusText.h"
#include "launcher/resource.h"
#include "patch/PatchMessages.h"
#include "patch/Patcher.h"
#include "skin/SkinHtmlView.h"
#include "ui/MinimizedIcon.h"
#include "ui/ProgramStart.h"
#include "ui/WinApp.h"

#include <process.h>
#include <shellapi.h>

#include <string>

cPatcher* g_pPatcher = nullptr;
bool g_bLaunchArmed = true;

namespace {

const char kCaption[] = "KQ Patcher";
const char kClientProgram[] = "KQClient-Connect.exe";
const char kLaunchToken[] = "vqtplmsozeb";
const char kBrowserProgram[] = "Iexplore.exe";
const DWORD kTextLineStyle = WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP;
const COLORREF kTextColor = RGB(200, 200, 200);

// Waits about ms milliseconds while handling messages that other threads send to
// this thread's windows: the worker may be inside a text change of a control and
// would otherwise never return.
void WaitHandlingSentMessages(DWORD ms) {
  MsgWaitForMultipleObjects(0, nullptr, FALSE, ms, QS_SENDMESSAGE);
  MSG msg;
  PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}

// As WaitForSingleObject with no time limit, handling sent messages meanwhile.
void WaitForThreadHandlingSentMessages(HANDLE thread) {
  while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

}  // namespace

cPatcherDlg::cPatcherDlg(const char* imagePath)
    : cSkinDialog(nullptr),
      m_strImagePath(imagePath ? imagePath : ""),
      m_options(m_systemModes),
      m_hPatchThread(nullptr),
      m_hIcon(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME))),
      m_pBoard(nullptr),
      m_textBrush(nullptr),
      m_status(m_texts, m_progress) {}

// On the paths that end the window without OnCancel (the game started, the hand-over
// to the finisher) the worker has finished its run but may still be returning from
// it: the engine is deleted only once its thread has ended.
cPatcherDlg::~cPatcherDlg() {
  if (m_hPatchThread) {
    WaitForThreadHandlingSentMessages(m_hPatchThread);
    CloseHandle(m_hPatchThread);
  }
  if (g_pPatcher) {
    delete g_pPatcher;
    g_pPatcher = nullptr;
  }
  if (m_textBrush) DeleteObject(m_textBrush);
}

bool cPatcherDlg::HasComponents(const cSkinDialogResource& resource) {
  return FindMissingMainComponent(resource) == nullptr;
}

// --- Creation -------------------------------------------------------------------

int cPatcherDlg::OnCreate(CREATESTRUCTA* cs) {
  cs->style |= WS_CLIPCHILDREN;
  if (cSkinDialog::OnCreate(cs) == -1) return -1;
  ::SetWindowLongPtrA(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>(GetStyle() | WS_CLIPCHILDREN));
  CreateControls();
  return 0;
}

void cPatcherDlg::CreateControls() {
  const cSkinDialogResource* skin = GetResource();
  m_options.ReadLaunchOptions();
  m_texts.LoadLanguageTexts();
  SetWindowText(m_texts.GetPatchMsg(14));

  m_btnStart.Create(skin->FindComponentAs<cSkinButtonResource>("start"), this, IDC_START);
  m_btnStart.EnableWindow(FALSE);
  m_btnClose.Create(skin->FindComponentAs<cSkinButtonResource>("close"), this, IDC_CLOSE);
  m_btnMinimize.Create(skin->FindComponentAs<cSkinButtonResource>("minimize"), this, IDC_MINIMIZE);
  m_progress.Create(skin->FindComponentAs<cSkinProgressBarResource>("probar"), this, IDC_PROGRESS);
  m_progress.SetPos(0.0f);

  CreateBoard(skin->FindComponentAs<cSkinHtmlViewResource>("board"));

  m_btnFull.Create(skin->FindComponentAs<cSkinButtonResource>("full"), this, IDC_FULL);
  m_btnFull.SetFont(GetSkinFont(), TRUE);
  m_btnFull.SetCheck(m_options.IsWindowed());
  m_btnFull.Invalidate();
  m_btnFull.EnableWindow(TRUE);

  m_cbResolution.Create(skin->FindComponentAs<cSkinComboBoxResource>("resolution"), this, IDC_RESOLUTION);
  m_cbResolution.SetFont(GetSkinFont(), TRUE);
  m_cbResolution.EnableWindow(TRUE);

  m_options.BuildDisplayModeList(*this);

  CreateTextLine(m_stStatus, m_texts.GetStatusRect());
  CreateTextLine(m_stDataInfo, m_texts.GetDataInfoRect());
  CreateTextLine(m_stVersion, m_texts.GetVersionRect());

  m_status.Bind(cPatchStatusSink::tWindows{m_hWnd, m_btnStart.GetSafeHwnd(), m_progress.GetSafeHwnd(),
                                           m_stStatus.GetSafeHwnd(), m_stDataInfo.GetSafeHwnd(),
                                           m_stVersion.GetSafeHwnd()});
}

// The board shows the publisher's page where the browser control works; where it
// cannot be created the view stays hidden and the window works without it.
void cPatcherDlg::CreateBoard(const cSkinHtmlViewResource* resource) {
  m_pBoard = new cSkinHtmlView;
  if (!m_pBoard->Create(resource, this, IDC_BOARD, 0) && m_pBoard->GetSafeHwnd() == nullptr) {
    // No window was made, so nothing will free the view: free it here.
    delete m_pBoard;
    m_pBoard = nullptr;
    return;
  }
  m_pBoard->NavigateHome();
}

void cPatcherDlg::CreateTextLine(ui::CStatic& line, const RECT& rect) {
  line.Create("", kTextLineStyle, rect, m_hWnd, IDC_TEXT);
  line.SetFont(GetSkinFont(), TRUE);
}

BOOL cPatcherDlg::OnInitDialog() {
  cSkinDialog::OnInitDialog();
  SetIcon(m_hIcon, TRUE);
  SetIcon(m_hIcon, FALSE);
  m_cbResolution.InitDropDown();
  g_pPatcher = new cPatcher(&m_status);
  ui::CWinApp* app = ui::CWinApp::GetApp();
  g_pPatcher->Init(m_hWnd, app ? app->m_hInstance : GetModuleHandleA(nullptr));
  StartPatchThread();
  return TRUE;
}

// --- The worker thread ------------------------------------------------------------

void cPatcherDlg::StartPatchThread() {
  if (m_hPatchThread) {
    MessageBoxA(m_hWnd, "Thread is working.", kCaption, MB_OK);
    return;
  }
  m_hPatchThread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, PatchThreadProc, nullptr, 0, nullptr));
  if (!m_hPatchThread) MessageBoxA(m_hWnd, "Failed to create thread.", kCaption, MB_OK);
}

unsigned __stdcall cPatcherDlg::PatchThreadProc(void*) {
  return g_pPatcher ? static_cast<unsigned>(g_pPatcher->Run()) : 0;
}

// Cancel detaches the window first, so the worker makes no new calls into it; a call
// already under way may be waiting for this thread, which therefore keeps handling
// sent messages while it waits.
void cPatcherDlg::StopPatchThread() {
  if (!m_hPatchThread) return;
  if (g_pPatcher) {
    g_pPatcher->Cancel();
    WaitHandlingSentMessages(1);
    while (!g_pPatcher->IsStoppable()) WaitHandlingSentMessages(1);
  }
  WaitForThreadHandlingSentMessages(m_hPatchThread);
  CloseHandle(m_hPatchThread);
  m_hPatchThread = nullptr;
}

void cPatcherDlg::OnCancel() {
  StopPatchThread();
  cSkinDialog::OnCancel();
  m_options.WriteLaunchOptions(*this);
  PostMessage(WM_CLOSE);
}

void cPatcherDlg::OnPatchHandOver() {
  cSkinDialog::OnCancel();
  EndDialog(0);
}

// --- Game launch ------------------------------------------------------------------

// The start button is examined before the one-shot flag is cleared, so an Enter
// press during patching does not use up the one launch.
void cPatcherDlg::OnOK() {
  if (!g_bLaunchArmed) return;
  if (!m_btnStart.IsWindowEnabled()) return;
  g_bLaunchArmed = false;
  LaunchGame();
  EndDialog(0);
}

bool cPatcherDlg::LaunchGame() {
  m_options.WriteLaunchOptions(*this);
  return ui::StartProgram(kClientProgram, (std::string(" ") + kLaunchToken).c_str());
}

LRESULT cPatcherDlg::OnPatchError(WPARAM code, LPARAM) {
  if (g_pPatcher && !g_pPatcher->IsAlive()) return 1;
  std::string text = PatchErrorText(m_texts, static_cast<unsigned>(code));
  if (!text.empty()) MessageBoxA(m_hWnd, text.c_str(), kCaption, MB_OK);
  PostMessage(WM_CLOSE);
  return 1;
}

// --- Launch options ---------------------------------------------------------------

void cPatcherDlg::OnFullButton() { m_options.OnFullButton(*this); }
void cPatcherDlg::OnResolutionChange() { m_options.OnResolutionChange(*this); }

void cPatcherDlg::ResetModeList() { m_cbResolution.ResetContent(); }
void cPatcherDlg::InsertMode(int index, const char* text) { m_cbResolution.InsertString(index, text); }
int cPatcherDlg::GetModeSelection() { return m_cbResolution.GetCurSel(); }
void cPatcherDlg::SelectMode(int index) { m_cbResolution.SetCurSel(index); }

void cPatcherDlg::SetWindowedCheck(bool checked) {
  m_btnFull.SetCheck(checked);
  m_btnFull.Invalidate();
}

// --- Messages ---------------------------------------------------------------------

LRESULT cPatcherDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PATCH_ERROR) return OnPatchError(wParam, lParam);
  if (message == WM_PATCH_HANDOVER) {
    OnPatchHandOver();
    return 0;
  }
  return cSkinDialog::WindowProc(message, wParam, lParam);
}

BOOL cPatcherDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  UINT id = LOWORD(wParam);
  UINT code = HIWORD(wParam);
  switch (id) {
    case IDC_START:
      if (code == BN_CLICKED) OnOK();
      return TRUE;
    case IDC_CLOSE:
      if (code == BN_CLICKED) OnCancel();
      return TRUE;
    case IDC_URL0:
    case IDC_URL1:
      OpenUrl(id == IDC_URL0 ? 0 : 1);
      return TRUE;
    case IDC_IGNORED:
      return TRUE;
    case IDC_FULL:
      if (code == BN_CLICKED) OnFullButton();
      return TRUE;
    case IDC_RESOLUTION:
      if (code == CBN_SELCHANGE) OnResolutionChange();
      return TRUE;
    case IDC_MINIMIZE:
      if (code == BN_CLICKED) PostMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
      return TRUE;
    default:
      return cSkinDialog::OnCommand(wParam, lParam);
  }
}

void cPatcherDlg::OpenUrl(int line) {
  ShellExecuteA(nullptr, nullptr, kBrowserProgram, m_texts.GetUrl(line), nullptr, SW_SHOWNORMAL);
}

void cPatcherDlg::OnDestroy() {
  if (m_pBoard && m_pBoard->GetSafeHwnd()) ::DestroyWindow(m_pBoard->GetSafeHwnd());
  m_pBoard = nullptr;
  cSkinDialog::OnDestroy();
}

void cPatcherDlg::OnPaint() {
  if (!IsIconic()) {
    cSkinDialog::OnPaint();
    return;
  }
  ui::PaintMinimizedIcon(*this, m_hIcon);
}

HCURSOR cPatcherDlg::OnQueryDragIcon() { return reinterpret_cast<HCURSOR>(m_hIcon); }

// The text lines are light grey on the skin: their background is painted with a
// brush made of the window's background image, aligned so that each line shows the
// part of the image it covers. A plain transparent mode alone would leave the old
// text behind, because the window does not paint under its children.
HBRUSH cPatcherDlg::OnCtlColor(HDC dc, HWND control, UINT ctlType) {
  HBRUSH brush = cSkinDialog::OnCtlColor(dc, control, ctlType);
  if (ctlType != CTLCOLOR_STATIC) return brush;
  SetTextColor(dc, kTextColor);
  SetBkMode(dc, TRANSPARENT);
  HBRUSH background = BackgroundBrush();
  if (!background) return brush;
  RECT rect;
  ::GetWindowRect(control, &rect);
  ScreenToClient(&rect);
  SetBrushOrgEx(dc, -rect.left, -rect.top, nullptr);
  return background;
}

HBRUSH cPatcherDlg::BackgroundBrush() {
  if (!m_textBrush && GetResource()) {
    HBITMAP image = GetResource()->GetBitmap().GetSafeHandle();
    if (image) m_textBrush = CreatePatternBrush(image);
  }
  return m_textBrush;
}
