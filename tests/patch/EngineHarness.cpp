#include "tests/patch/EngineHarness.h"

#include "tests/net/TestServers.h"

#include <string>

namespace {

const char kCollectorClass[] = "KqMessageCollector";
const char kCollectorProperty[] = "KqMessageCollector";

bool IsChatter(const std::string& call) { return call.rfind("progress ", 0) == 0 || call.rfind("text ", 0) == 0; }

}  // namespace

void RecordingWindow::SetPatchStep(int step, unsigned total) {
  Note("step " + std::to_string(step) + " " + std::to_string(total));
}

void RecordingWindow::SetPatchProgress(const char* name, unsigned value) {
  Note(std::string("progress ") + (name ? name : "-") + " " + std::to_string(value));
}

void RecordingWindow::SetDownloadText(unsigned total, unsigned done, const char* name) {
  Note("text " + std::to_string(total) + " " + std::to_string(done) + " " + (name ? name : "-"));
}

void RecordingWindow::SetVersionText(const char* version) { Note(std::string("version ") + version); }

void RecordingWindow::RedrawVersionArea() { Note("redraw-version"); }

void RecordingWindow::OnPatchFinished(bool finished) { Note(finished ? "finished 1" : "finished 0"); }

void RecordingWindow::Note(const std::string& line) {
  std::lock_guard<std::mutex> lock(m_lock);
  m_calls.push_back(m_detached ? "after detach: " + line : line);
  m_changed.notify_all();
}

void RecordingWindow::Detach() {
  std::lock_guard<std::mutex> lock(m_lock);
  m_detached = true;
}

std::vector<std::string> RecordingWindow::Calls() const {
  std::lock_guard<std::mutex> lock(m_lock);
  return m_calls;
}

std::vector<std::string> RecordingWindow::Milestones() const {
  std::vector<std::string> milestones;
  for (const std::string& call : Calls()) {
    if (IsChatter(call)) continue;
    if (!milestones.empty() && milestones.back() == call) continue;
    milestones.push_back(call);
  }
  return milestones;
}

bool RecordingWindow::WaitForCall(const std::string& prefix, std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(m_lock);
  return m_changed.wait_for(lock, timeout, [&] {
    for (const std::string& call : m_calls) {
      if (call.rfind(prefix, 0) == 0) return true;
    }
    return false;
  });
}

MessageCollector::MessageCollector() {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = kCollectorClass;
  RegisterClassA(&windowClass);
  m_hwnd = CreateWindowExA(0, kCollectorClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, windowClass.hInstance,
                           nullptr);
  if (m_hwnd) SetPropA(m_hwnd, kCollectorProperty, this);
}

MessageCollector::~MessageCollector() {
  if (!m_hwnd) return;
  RemovePropA(m_hwnd, kCollectorProperty);
  DestroyWindow(m_hwnd);
}

std::vector<std::string> MessageCollector::Collect() {
  MSG message;
  while (PeekMessageA(&message, m_hwnd, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  return m_messages;
}

LRESULT CALLBACK MessageCollector::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* collector = static_cast<MessageCollector*>(GetPropA(hwnd, kCollectorProperty));
  if (collector && message == WM_PATCH_ERROR) {
    std::string entry = "error " + std::to_string(wParam);
    if (lParam != 0) entry += " with lParam " + std::to_string(lParam);
    collector->m_messages.push_back(entry);
    return 0;
  }
  if (collector && message == WM_CLOSE) {
    collector->m_messages.push_back("close");
    return 0;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

TestPatcher::TestPatcher(RecordingWindow* window, Application application, const std::string& record)
    : cPatcher(window), m_recorder(window), m_application(application), m_record(record) {}

bool TestPatcher::ExtractPatch(const char* archiveName) {
  bool asServed = ReadBytes(archiveName) == ServedFile(std::string("ClientPatchFiles_ZV/") + archiveName);
  m_recorder->Note(std::string("extract ") + archiveName + (asServed ? " (as served)" : " (differs)"));
  switch (m_application) {
    case APPLY_NOT_BUILT:
      return cPatcher::ExtractPatch(archiveName);
    case APPLY_OK_VERSION_IN_USE:
      m_versionInUse.Reset(
          CreateFileA("KQVerInfo.ver", GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
      [[fallthrough]];
    case APPLY_OK:
    case APPLY_PACK_FAILS: {
      char recordName[260] = {};
      MakeRecordName(archiveName, recordName, sizeof(recordName));
      WriteBytes(recordName, m_record);
      return true;
    }
    case APPLY_NO_RECORD:
      return true;
  }
  return false;
}

bool TestPatcher::UpdatePackFiles() {
  m_recorder->Note("pack");
  switch (m_application) {
    case APPLY_NOT_BUILT:
      return cPatcher::UpdatePackFiles();
    case APPLY_PACK_FAILS:
      return false;
    case APPLY_OK:
    case APPLY_OK_VERSION_IN_USE:
    case APPLY_NO_RECORD:
      return true;
  }
  return false;
}

bool TestPatcher::PauseBeforeRetry(unsigned ms) {
  m_pauses.push_back(ms);
  return m_realPauses ? cPatcher::PauseBeforeRetry(ms) : IsAlive();
}

bool TestPatcher::PauseBeforeResume(unsigned ms) {
  m_resumePauses.push_back(ms);
  if (m_realPauses) m_recorder->Note("pause before resume");
  return m_realPauses ? cPatcher::PauseBeforeResume(ms) : IsAlive();
}

void TestPatcher::ShowMessageBox(HWND owner, const char* text, const char* caption, UINT type) {
  m_recorder->Note(std::string("box ") + caption + ": " + text + (owner ? " (owned)" : "") +
                   ((type & MB_ICONERROR) ? " (error icon)" : ""));
}
