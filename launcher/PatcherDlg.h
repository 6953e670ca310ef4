// cPatcherDlg: the launcher's only window, built from the skin's "main" dialog. It
// owns the patch engine and its worker thread, shows the engine's progress (step
// text, bar, megabytes, version), keeps the player's display choice (the "full"
// toggle and the "resolution" list), starts the game when the engine has finished,
// and hands over to KQExecuter when a patch delivered a new launcher or graphics
// module.
//
// Threads: every member of the window runs on the window's thread. What the worker
// thread calls (the cPatchWindow operations, OnPatchFinished among them) is the
// status sink, a member object of its own (PatchStatusSink.h), which reaches the
// controls through window calls that the system carries out on the window's
// thread. Errors come back as a posted WM_PATCH_ERROR, the self-update hand-over
// as a posted WM_PATCH_HANDOVER.
#pragma once

#include "launcher/LanguageTexts.h"
#include "launcher/LaunchOptionControls.h"
#include "launcher/LaunchOptions.h"
#include "launcher/PatchStatusSink.h"
#include "launcher/SystemDisplayModes.h"
#include "patch/PatchWindow.h"
#include "skin/SkinButton.h"
#include "skin/SkinComboBox.h"
#include "skin/SkinDialog.h"
#include "skin/SkinProgressBar.h"
#include "ui/Static.h"

#include <windows.h>

#include <string>

class cPatcher;
class cSkinHtmlView;
class cSkinHtmlViewResource;

class cPatcherDlg : public cSkinDialog, private cLaunchOptionControls {
public:
  enum {
    IDC_START = 1000,
    IDC_CLOSE = 1001,
    IDC_URL0 = 1002,
    IDC_URL1 = 1003,
    IDC_PROGRESS = 1005,
    IDC_TEXT = 1007,
    IDC_BOARD = 1008,
    IDC_IGNORED = 1009,
    IDC_FULL = 1010,
    IDC_RESOLUTION = 1011,
    IDC_MINIMIZE = 1012,
  };

  explicit cPatcherDlg(const char* imagePath);
  ~cPatcherDlg() override;

  // True when the dialog resource holds every component the window creates, each of
  // the kind it needs.
  static bool HasComponents(const cSkinDialogResource& resource);

  BOOL OnInitDialog() override;
  // Starts the game once the engine has finished (the start button is enabled).
  void OnOK() override;
  // Stops the engine and waits for its thread, ends the window, saves the options.
  void OnCancel() override;

  // Writes the options and starts the game client; true when its process started.
  bool LaunchGame();

  // What the engine calls on its worker thread.
  cPatchWindow& GetStatusSink() { return m_status; }

  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
  int OnCreate(CREATESTRUCTA* cs) override;
  void OnDestroy() override;
  void OnPaint() override;
  HCURSOR OnQueryDragIcon() override;
  HBRUSH OnCtlColor(HDC dc, HWND control, UINT ctlType) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

private:
  // cLaunchOptionControls: the options reach the toggle and the list through these.
  void ResetModeList() override;
  void InsertMode(int index, const char* text) override;
  int GetModeSelection() override;
  void SelectMode(int index) override;
  void SetWindowedCheck(bool checked) override;

  void CreateControls();
  void CreateBoard(const cSkinHtmlViewResource* resource);
  void CreateTextLine(ui::CStatic& line, const RECT& rect);
  HBRUSH BackgroundBrush();
  void StartPatchThread();
  static unsigned __stdcall PatchThreadProc(void* argument);
  void StopPatchThread();
  LRESULT OnPatchError(WPARAM code, LPARAM);
  // The finisher has been started: the window ends without saving the options.
  void OnPatchHandOver();
  void OnFullButton();
  void OnResolutionChange();
  void OpenUrl(int line);
  void PaintIcon();

  std::string m_strImagePath;
  cLanguageTexts m_texts;
  cSystemDisplayModes m_systemModes;
  cLaunchOptions m_options;
  HANDLE m_hPatchThread;
  HICON m_hIcon;
  cSkinButton m_btnStart;
  cSkinButton m_btnClose;
  cSkinButton m_btnMinimize;
  cSkinProgressBar m_progress;
  cSkinHtmlView* m_pBoard;
  cSkinButton m_btnFull;
  cSkinComboBox m_cbResolution;
  ui::CStatic m_stStatus;
  ui::CStatic m_stDataInfo;
  ui::CStatic m_stVersion;
  // The background image as a brush, for the text lines; made on first use.
  HBRUSH m_textBrush;
  // The worker's calls; bound to the controls at the end of OnCreate.
  cPatchStatusSink m_status;
};

// The one engine of the process: created by the main window, deleted with it.
extern cPatcher* g_pPatcher;
// Lets OnOK start the game once: the two OnOK calls of one Enter press start it once.
extern bool g_bLaunchArmed;
