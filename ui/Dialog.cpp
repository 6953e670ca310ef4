#include "ui/Dialog.h"

#include "ui/CreateHook.h"
#include "ui/WinApp.h"

namespace ui {

CDialog::CDialog(UINT templateId, CWnd* parent)
    : m_nIDTemplate(templateId), m_pParentWnd(parent), m_bEndModal(false), m_nModalResult(-1) {}

// Every message reaches the object through its window procedure first; this dialog
// procedure only tells the dialog manager that nothing more is to be done.
INT_PTR CALLBACK CDialog::DialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

bool CDialog::CreateFromTemplate(HWND owner) {
  CWinApp* app = CWinApp::GetApp();
  HINSTANCE instance = app && app->m_hInstance ? app->m_hInstance : ::GetModuleHandleA(nullptr);
  HWND hwnd;
  {
    CCreateHook hook(this, owner);
    hwnd = ::CreateDialogParamA(instance, MAKEINTRESOURCEA(m_nIDTemplate), owner, DialogProc, 0);
  }
  if (hwnd && !m_hWnd && !SubclassWindow(hwnd)) {
    ::DestroyWindow(hwnd);
    return false;
  }
  return hwnd != nullptr;
}

INT_PTR CDialog::DoModal() {
  if (m_hWnd) return -1;
  HWND owner = m_pParentWnd && m_pParentWnd->m_hWnd ? ::GetAncestor(m_pParentWnd->m_hWnd, GA_ROOT) : nullptr;
  bool ownerDisabled = owner && ::IsWindowEnabled(owner);
  if (ownerDisabled) ::EnableWindow(owner, FALSE);
  m_bEndModal = false;
  m_nModalResult = -1;
  if (CreateFromTemplate(owner)) {
    if (!m_bEndModal) ShowWindow(SW_SHOWNORMAL);
    RunModalLoop();
    if (m_hWnd) SetWindowPos(nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (ownerDisabled) ::EnableWindow(owner, TRUE);
  if (owner && m_hWnd && ::GetActiveWindow() == m_hWnd) ::SetActiveWindow(owner);
  DestroyWindow();
  return m_nModalResult;
}

void CDialog::RunModalLoop() {
  MSG msg;
  while (!m_bEndModal && m_hWnd) {
    BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
    if (got == -1) break;
    if (got == 0) {
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      m_nModalResult = -1;
      break;
    }
    if (IsOwnMessage(msg) && PreTranslateTree(&msg)) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
}

bool CDialog::IsOwnMessage(const MSG& msg) const {
  return m_hWnd && (msg.hwnd == m_hWnd || ::IsChild(m_hWnd, msg.hwnd));
}

// The result first, then the flag; the posted message wakes a loop that waits in
// GetMessage when the call comes from another thread.
void CDialog::EndDialog(int result) {
  m_nModalResult = result;
  m_bEndModal = true;
  if (m_hWnd) PostMessage(WM_NULL);
}

BOOL CDialog::PreTranslateTree(MSG* msg) {
  for (HWND hwnd = msg->hwnd; hwnd != nullptr && hwnd != m_hWnd; hwnd = ::GetParent(hwnd)) {
    CWnd* wnd = CWnd::FromHandle(hwnd);
    if (wnd != nullptr && wnd->PreTranslateMessage(msg)) return TRUE;
  }
  return PreTranslateMessage(msg);
}

BOOL CDialog::PreTranslateMessage(MSG* msg) { return ::IsDialogMessageA(m_hWnd, msg); }

BOOL CDialog::OnInitDialog() { return TRUE; }
void CDialog::OnOK() { EndDialog(IDOK); }
void CDialog::OnCancel() { EndDialog(IDCANCEL); }

LRESULT CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) return OnInitDialog();
  return CWnd::WindowProc(message, wParam, lParam);
}

// IDOK and IDCANCEL, from a button, Enter, Escape or WM_CLOSE, reach OnOK and OnCancel.
BOOL CDialog::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (HIWORD(wParam) == BN_CLICKED) {
    if (LOWORD(wParam) == IDOK) {
      OnOK();
      return TRUE;
    }
    if (LOWORD(wParam) == IDCANCEL) {
      OnCancel();
      return TRUE;
    }
  }
  return CWnd::OnCommand(wParam, lParam);
}

}  // namespace ui
