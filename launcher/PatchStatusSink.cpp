#include "launcher/PatchStatusSink.h"

#include "launcher/StatusText.h"
#include "patch/PatchMessages.h"
#include "skin/SkinProgressBar.h"
#include "ui/ProgramStart.h"
#include "ui/WinApp.h"

namespace {

const char kExecuterProgram[] = "KQExecuter.exe";

bool FileFound(const char* name) {
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA(name, &data);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  return true;
}

}  // namespace

cPatchStatusSink::cPatchStatusSink(const cLanguageTexts& texts, cSkinProgressBar& bar)
    : m_texts(texts), m_bar(bar), m_windows{}, m_nStepTotal(0), m_nStepDone(0), m_nStep(0) {}

void cPatchStatusSink::Bind(const tWindows& windows) { m_windows = windows; }

void cPatchStatusSink::SetPatchStep(int step, unsigned total) {
  if (step == m_nStep && total == m_nStepTotal) return;
  m_nStepTotal = total;
  m_bar.SetPos(0.0f);
  InvalidateProgress();
  ShowStepText(step);
}

void cPatchStatusSink::ShowStepText(int step) {
  m_nStep = step;
  if (m_windows.status) SetWindowTextA(m_windows.status, StepStatusText(m_texts, step).c_str());
  RECT rect = m_texts.GetStatusRect();
  InvalidateWindowRect(&rect);
}

void cPatchStatusSink::SetPatchProgress(const char*, unsigned value) {
  m_nStepDone = value;
  m_bar.SetPos(ProgressFraction(value, m_nStepTotal));
  InvalidateProgress();
}

void cPatchStatusSink::SetDownloadText(unsigned total, unsigned done, const char* name) {
  if (m_windows.dataInfo) SetWindowTextA(m_windows.dataInfo, FormatDownloadText(total, done, name).c_str());
  RECT rect = m_texts.GetDataInfoRect();
  InvalidateWindowRect(&rect);
}

void cPatchStatusSink::SetVersionText(const char* version) {
  if (m_windows.version) SetWindowTextA(m_windows.version, version);
}

void cPatchStatusSink::RedrawVersionArea() {
  RECT rect = m_texts.GetVersionRect();
  InvalidateWindowRect(&rect);
}

void cPatchStatusSink::OnPatchFinished(bool finished) {
  if (!finished) return;
  if (!FileFound("KQAutoPatch.new") && !FileFound("NorvGFunc.new")) {
    m_bar.SetPos(1.0f);
    InvalidateProgress();
    m_nStep = PATCH_STEP_DONE;
    if (m_windows.start) EnableWindow(m_windows.start, TRUE);
    return;
  }
  // The finisher replaces this program's files once it has ended: the window ends
  // without waiting for the engine and without saving the options.
  StartExecuter();
  if (m_windows.window) PostMessageA(m_windows.window, WM_PATCH_HANDOVER, 0, 0);
}

void cPatchStatusSink::InvalidateProgress() {
  if (m_windows.progress) InvalidateRect(m_windows.progress, nullptr, FALSE);
}

void cPatchStatusSink::InvalidateWindowRect(const RECT* rect) {
  if (m_windows.window) InvalidateRect(m_windows.window, rect, TRUE);
}

// The finisher gets this launcher's arguments behind one space and gives them back
// to the launcher it restarts; the text is passed whole, however long.
void cPatchStatusSink::StartExecuter() {
  ui::CWinApp* app = ui::CWinApp::GetApp();
  std::string arguments = app && app->m_lpCmdLine ? app->m_lpCmdLine : "";
  ui::StartProgram(kExecuterProgram, (" " + arguments).c_str());
}
