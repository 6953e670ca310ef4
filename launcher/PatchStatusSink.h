// cPatchStatusSink: the main window's side of the patch engine, that is every call
// the worker thread makes into the window (cPatchWindow). Everything here runs on
// the worker thread except Bind.
//
// Why it is apart from the window: the window thread clears its controls' handles
// when the window goes, while the worker may still be calling; a call through a
// cleared handle is a call on no window at all (an invalidation of no window
// repaints the whole desktop). The sink therefore keeps its own copies of the
// handles, given once by Bind before the worker starts and never changed, and
// skips a control that was never made. After the window has gone its calls fail
// on the dead handles. On a finished run the start button is enabled last: from
// then on the player may end the window at any moment.
#pragma once

#include "launcher/LanguageTexts.h"
#include "patch/PatchWindow.h"

#include <windows.h>

#include <string>

class cSkinProgressBar;

// Posted to the window when the finisher has been started: the window ends itself
// on its own thread (the self-update hand-over).
const UINT WM_PATCH_HANDOVER = WM_APP + 2;

class cPatchStatusSink : public cPatchWindow {
public:
  // The window and the controls that the engine's progress reaches.
  struct tWindows {
    HWND window;
    HWND start;
    HWND progress;
    HWND status;
    HWND dataInfo;
    HWND version;
  };

  // texts and bar belong to the window and outlive the worker.
  cPatchStatusSink(const cLanguageTexts& texts, cSkinProgressBar& bar);

  // Window thread, once the controls exist and before the worker starts.
  void Bind(const tWindows& windows);

  void SetPatchStep(int step, unsigned total) override;
  void SetPatchProgress(const char* name, unsigned value) override;
  void SetDownloadText(unsigned total, unsigned done, const char* name) override;
  void SetVersionText(const char* version) override;
  void RedrawVersionArea() override;
  // Finished without ".new" files: the bar full, the step done, Start enabled (last).
  // With one: starts the finisher with the launcher's arguments and asks the window
  // to end (WM_PATCH_HANDOVER).
  void OnPatchFinished(bool finished) override;

private:
  void ShowStepText(int step);
  void InvalidateProgress();
  // Invalidates rect of the window (all of it for null); nothing without a window.
  void InvalidateWindowRect(const RECT* rect);
  void StartExecuter();

  const cLanguageTexts& m_texts;
  cSkinProgressBar& m_bar;
  tWindows m_windows;
  unsigned m_nStepTotal;
  unsigned m_nStepDone;
  // The progress step last shown.
  int m_nStep;
};
