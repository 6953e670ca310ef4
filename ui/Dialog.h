// CDialog: a modal dialog from a template resource, with its own modal loop.
//
// Why its own loop: the loop hands every message for the dialog and its controls to
// the virtual PreTranslateMessage before anything else: first of the window objects
// from the message's window up to the dialog (innermost first, so a hosted control
// such as the browser view can take its keys), then of the dialog itself, whose
// base PreTranslateMessage is where the dialog manager (IsDialogMessageA) runs. A
// derived dialog therefore sees Enter and Escape first and may act on them, and the
// dialog manager then turns the same key into IDOK or IDCANCEL as well: one Enter
// press can reach OnOK twice, which the windows built on this rely on. The system's
// own modal loop (DialogBox) would give no such hook.
//
// DoModal disables the owner, creates the dialog (OnCreate, then OnInitDialog), shows
// it, runs the loop until EndDialog, hides and destroys the window, enables the owner
// again and returns the result. EndDialog may be called from any thread. A WM_QUIT
// ends the loop (result -1) and is posted again for the loop outside.
#pragma once

#include <atomic>

#include "ui/Wnd.h"

namespace ui {

class CDialog : public CWnd {
public:
  explicit CDialog(UINT templateId, CWnd* parent = nullptr);

  // The value given to EndDialog, or -1 when the dialog could not be created or the
  // loop ended on WM_QUIT.
  virtual INT_PTR DoModal();
  void EndDialog(int result);

  virtual BOOL OnInitDialog();
  virtual void OnOK();
  virtual void OnCancel();
  // True when the message was handled and must not be dispatched.
  BOOL PreTranslateMessage(MSG* msg) override;

  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  bool CreateFromTemplate(HWND owner);
  void RunModalLoop();
  bool IsOwnMessage(const MSG& msg) const;
  // PreTranslateMessage of the objects from msg's window up to this dialog, this
  // dialog's last; TRUE as soon as one has handled it.
  BOOL PreTranslateTree(MSG* msg);

  UINT m_nIDTemplate;
  CWnd* m_pParentWnd;
  std::atomic<bool> m_bEndModal;
  std::atomic<int> m_nModalResult;
};

}  // namespace ui
