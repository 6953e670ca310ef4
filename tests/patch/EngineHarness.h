// What the engine tests put around a cPatcher: a window that records every call in
// order, a message-only window that collects the posted messages, and an engine
// whose archive application is replaced as a test needs it.
#pragma once

#include "net/WinHandle.h"
#include "patch/Patcher.h"

#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

// Records the calls as short lines: "step 1 300000", "progress a.kqp 1024",
// "text 300000 1024 a.kqp" ("-" for no name), "version KQZV00000100",
// "redraw-version", "finished 1"; lines from the test engine ("extract ...",
// "pack", "box ...") go into the same list. A call that arrives after Detach is
// recorded with "after detach: " in front.
class RecordingWindow : public cPatchWindow {
public:
  void SetPatchStep(int step, unsigned total) override;
  void SetPatchProgress(const char* name, unsigned value) override;
  void SetDownloadText(unsigned total, unsigned done, const char* name) override;
  void SetVersionText(const char* version) override;
  void RedrawVersionArea() override;
  void OnPatchFinished(bool finished) override;

  void Note(const std::string& line);
  void Detach();
  std::vector<std::string> Calls() const;
  // The calls without progress and text lines, with repeats collapsed.
  std::vector<std::string> Milestones() const;
  // Waits until a call starting with prefix was recorded; false after timeout.
  bool WaitForCall(const std::string& prefix, std::chrono::milliseconds timeout);

private:
  mutable std::mutex m_lock;
  std::condition_variable m_changed;
  std::vector<std::string> m_calls;
  bool m_detached = false;
};

// A message-only window on the creating thread that collects WM_PATCH_ERROR
// ("error <code>") and WM_CLOSE ("close").
class MessageCollector {
public:
  MessageCollector();
  ~MessageCollector();
  MessageCollector(const MessageCollector&) = delete;
  MessageCollector& operator=(const MessageCollector&) = delete;

  HWND Handle() const { return m_hwnd; }
  // Dispatches what is queued for the window and returns everything collected.
  std::vector<std::string> Collect();

private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  HWND m_hwnd = nullptr;
  std::vector<std::string> m_messages;
};

// How the test engine applies a downloaded archive.
enum Application {
  APPLY_NOT_BUILT,   // the engine's own archive application
  APPLY_OK,          // extraction places the delivered record; the pack update succeeds
  APPLY_PACK_FAILS,  // extraction succeeds, the pack update fails
  APPLY_NO_RECORD,   // extraction succeeds without placing the record; packs succeed
  APPLY_OK_VERSION_IN_USE,  // as APPLY_OK, and from extraction on another handle holds
                            // "KQVerInfo.ver" open without sharing (until ReleaseVersionFile)
};

class TestPatcher : public cPatcher {
public:
  // record: the bytes that a successful extraction places under the record name.
  TestPatcher(RecordingWindow* window, Application application, const std::string& record);
  // Closes the handle that APPLY_OK_VERSION_IN_USE holds on the version file.
  void ReleaseVersionFile() { m_versionInUse.Reset(); }
  // The record retry pauses the engine asked for, in order (read after the run).
  // They are not waited for, so that a table of retry cases runs fast, unless
  // UseRealPauses was called.
  const std::vector<unsigned>& Pauses() const { return m_pauses; }
  // The same for the archive transfer's pauses before it continues.
  const std::vector<unsigned>& ResumePauses() const { return m_resumePauses; }
  void UseRealPauses() { m_realPauses = true; }

protected:
  bool ExtractPatch(const char* archiveName) override;
  bool UpdatePackFiles() override;
  void ShowMessageBox(HWND owner, const char* text, const char* caption, UINT type) override;
  bool PauseBeforeRetry(unsigned ms) override;
  bool PauseBeforeResume(unsigned ms) override;

private:
  RecordingWindow* m_recorder;
  Application m_application;
  std::string m_record;
  WinHandle m_versionInUse;
  std::vector<unsigned> m_pauses;
  std::vector<unsigned> m_resumePauses;
  bool m_realPauses = false;
};
