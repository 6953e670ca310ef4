#include "patch/Patcher.h"

#include "net/DetachedFetch.h"
#include "net/GlobalBlock.h"
#include "net/WinHandle.h"
#include "patch/AuthPatchProcess.h"
#include "patch/DownloadServer.h"
#include "patch/GraphicsModule.h"
#include "patch/PartialArchive.h"
#include "patch/RetryPause.h"
#include "patch/VersionFile.h"

#include <mmsystem.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

cPatcher* g_pPatchEngine = nullptr;

namespace {

const char kBoxCaption[] = "KQ Patcher";
// The record fetch is tried once and then up to this many times more, after a pause
// each time; the answer of the last retry is never used.
const int kRecordRetries = 10;
const DWORD kDownloadTextIntervalMs = 100;

}  // namespace

cPatcher::cPatcher(cPatchWindow* window)
    : m_window(window), m_cancelEvent(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      m_jitter(GetTickCount() ^ (GetCurrentProcessId() << 16)), m_host(), m_port(DOWNLOAD_SERVER.port) {
  lstrcpynA(m_host, DOWNLOAD_SERVER.host, sizeof(m_host));
  SetReleaseKey(RELEASE_PUBLIC_KEY);
}

cPatcher::~cPatcher() {
  if (m_loader) m_loader->Disconnect();
  if (g_pPatchEngine == this) g_pPatchEngine = nullptr;
}

bool cPatcher::Init(HWND hwnd, HINSTANCE instance) {
  m_hwnd = hwnd;
  m_instance = instance;
  m_loader.reset(new (std::nothrow) Loader);
  if (!m_loader) {
    ShowMessageBox(hwnd, "LOADER Memory allocation Fail", "Error", MB_OK | MB_ICONERROR);
    PostMessageA(hwnd, WM_CLOSE, 0, 0);
  }
  g_pPatchEngine = this;
  m_lastTextTime = timeGetTime();
  return m_loader != nullptr;
}

void cPatcher::SetDownloadServer(const char* host, int port) {
  std::lock_guard<std::mutex> lock(m_serverLock);
  lstrcpynA(m_host, host, sizeof(m_host));
  m_port = port;
}

void cPatcher::Cancel() {
  m_cancel = true;
  if (m_cancelEvent) SetEvent(m_cancelEvent.Get());
  m_window = nullptr;
}

int cPatcher::Run() {
  if (!m_loader) return 0;
  if (!WaitForAuthPatch()) {
    PostError(PATCH_ERR_INIT);
    return 0;
  }
  if (m_cancel) return Stop();
  m_loader->Disconnect();
  if (!m_instance) {
    ErrorBox(kBoxCaption, "Instance Initialize  Error.");
    PostError(PATCH_ERR_INIT);
    return 0;
  }
  m_loader->ClearLog();

  char local[VERSION_LENGTH + 1] = {};
  // A version string that could name a file outside the game folder counts as an
  // unreadable version file: no name is ever built from it.
  if (!ReadVersionFile(VERSION_FILE_NAME, VERSION_LENGTH, local) || !IsSafeVersionString(local)) {
    PostError(PATCH_ERR_READ_VERSION);
    return Finish();
  }
  ShowVersion(local);
  if (ConnectLoader() != LOADER_OK) {
    PostError(PATCH_ERR_CONNECT);
    return Finish();
  }
  SetStep(PATCH_STEP_VERSION, 0);

  ServerRecord record;
  switch (FetchServerRecord(local, &record, m_signedRecord)) {
    case RECORD_OK:
      break;
    case RECORD_UNUSABLE:
      PostError(PATCH_ERR_SERVER_VERSION);
      return Finish();
    case RECORD_RECONNECT_FAILED:
      PostError(PATCH_ERR_CONNECT);
      return Stop();
    case RECORD_CANCELLED:
      return Stop();
  }

  // With the publisher's key built in, only a record that the publisher signed is used.
  char recordPath[260] = {};
  MakeRecordPath(local, recordPath, sizeof(recordPath));
  if (m_checkSignatures && !CheckRecordSignature(recordPath, m_signedRecord)) {
    if (m_cancel) return Stop();
    PostError(PATCH_ERR_SERVER_VERSION);
    return Finish();
  }

  switch (DecideVersion(local, record)) {
    case VERSION_PREFIX_DIFFERS:
    case VERSION_SERVER_OLDER:
      PostError(PATCH_ERR_SERVER_VERSION);
      return Finish();
    case VERSION_TOO_OLD:
      PostError(PATCH_ERR_TOO_OLD);
      return Finish();
    case VERSION_UP_TO_DATE:
      cPartialArchive::RemoveOthers(nullptr, nullptr);
      UpdatePackFiles();
      SetStep(PATCH_STEP_DONE, 0);
      return Finish();
    case VERSION_PATCH_DUE:
      break;
  }

  char archiveName[260] = {};
  if (!DownloadArchive(local, archiveName, sizeof(archiveName))) return Finish();
  return ApplyArchive(archiveName, local, record);
}

// Waits without a time limit while the external patcher runs, or until the run is
// cancelled (the run then stops at its next check). False when the process list
// cannot be read.
bool cPatcher::WaitForAuthPatch() {
  WinHandle process;
  if (!FindAuthPatchProcess(process)) return false;
  if (!process) return true;
  if (!m_cancelEvent) {
    WaitForSingleObject(process.Get(), INFINITE);
    return true;
  }
  HANDLE waits[] = {process.Get(), m_cancelEvent.Get()};
  WaitForMultipleObjects(2, waits, FALSE, INFINITE);
  return true;
}

int cPatcher::ConnectLoader() {
  char host[sizeof(m_host)];
  int port;
  {
    std::lock_guard<std::mutex> lock(m_serverLock);
    lstrcpynA(host, m_host, sizeof(host));
    port = m_port;
  }
  return m_loader->Connect(host, port);
}

// One fetch of the record. It runs detached from this thread, so that a cancel ends
// the wait for a stalled server at once (LOADER_CANCELLED).
int cPatcher::FetchRecordOnce(const char* path, GlobalBlock& block, unsigned* size) {
  char host[sizeof(m_host)];
  int port;
  {
    std::lock_guard<std::mutex> lock(m_serverLock);
    lstrcpynA(host, m_host, sizeof(host));
    port = m_port;
  }
  *size = 0;
  return DetachedFetch::DownloadToMemory(host, port, path, m_cancelEvent.Get(), block, size);
}

// Fetches the server record, pausing and reconnecting before each retry; a cancel
// ends it during a pause or before the next reconnection or fetch.
// bytes (22 characters) receives the record's 21 bytes.
cPatcher::RecordFetch cPatcher::FetchServerRecord(const char* local, ServerRecord* record, char* bytes) {
  char path[260] = {};
  MakeRecordPath(local, path, sizeof(path));
  GlobalBlock block;
  unsigned size = 0;
  int result = FetchRecordOnce(path, block, &size);
  for (int retries = 0; result != LOADER_OK;) {
    if (m_cancel || !PauseBeforeRetry(RecordRetryPauseMs(retries, NextJitter(&m_jitter)))) return RECORD_CANCELLED;
    if (ConnectLoader() != LOADER_OK) return RECORD_RECONNECT_FAILED;
    result = FetchRecordOnce(path, block, &size);
    if (++retries > kRecordRetries) return RECORD_UNUSABLE;
    if (m_cancel) return RECORD_CANCELLED;
  }
  if (!ParseServerRecord(block.Get(), size, record)) return RECORD_UNUSABLE;
  std::memcpy(bytes, block.Get(), VERSION_RECORD_SIZE);
  bytes[VERSION_RECORD_SIZE] = '\0';
  return RECORD_OK;
}

// A delivered graphics-module build is put in use through the update finisher, like
// a delivered launcher: the build for this processor goes to "NorvGFunc.new", the
// window hands over, and the finisher moves it over "NorvGFunc.dll" while nothing
// of the launcher holds it. Without this, only a run that folds a staging folder
// would refresh the module.
int cPatcher::ApplyArchive(const char* archiveName, const char* local, const ServerRecord& record) {
  const bool newGraphicsModule = DeliversGraphicsModule(archiveName);
  if (!ExtractPatch(archiveName)) {
    PostError(PATCH_ERR_EXTRACT);
    return Finish();
  }
  DeleteFileA(archiveName);
  if (m_cancel) return Stop();
  if (!UpdatePackFiles()) {
    PostError(PATCH_ERR_PACK);
    return Finish();
  }
  if (m_cancel) return Stop();
  if (newGraphicsModule && !StageGraphicsModule()) {
    PostError(PATCH_ERR_EXTRACT);
    return Finish();
  }
  char recordName[260] = {};
  MakeRecordName(local, recordName, sizeof(recordName));
  if (!ReplaceVersionFile(recordName)) {
    PostError(PATCH_ERR_WRITE_VERSION);
    return Finish();
  }
  // Nothing of an interrupted download is needed any more.
  cPartialArchive::RemoveOthers(nullptr, nullptr);
  ShowNewVersion(record.version);
  SetStep(PATCH_STEP_DONE, 0);
  return Finish();
}

int WINAPI cPatcher::DownloadCallback(unsigned total, unsigned done, const char* name) {
  cPatcher* engine = g_pPatchEngine;
  return engine ? engine->ReportDownload(total, done, name) : LOADER_STATUS_ABORT;
}

int cPatcher::ReportDownload(unsigned total, unsigned done, const char* name) {
  if (m_cancel) return LOADER_STATUS_ABORT;
  OnDownloadProgress(total, done);
  SetStep(PATCH_STEP_DOWNLOAD, total);
  SetProgress(name, done);
  if (done == total) {
    UpdateDownloadText(0, 0, nullptr);
    return LOADER_STATUS_COMPLETE;
  }
  UpdateDownloadText(total, done, name);
  return LOADER_STATUS_RUNNING;
}

void cPatcher::SetStep(int step, unsigned total) {
  if (cPatchWindow* window = m_window) window->SetPatchStep(step, total);
}

void cPatcher::SetProgress(const char* name, unsigned value) {
  if (cPatchWindow* window = m_window) window->SetPatchProgress(name, value);
}

void cPatcher::UpdateDownloadText(unsigned total, unsigned done, const char* name) {
  DWORD now = timeGetTime();
  bool due = now - m_lastTextTime > kDownloadTextIntervalMs;
  if (due) m_lastTextTime = now;
  if (!due && total != 0) return;
  if (cPatchWindow* window = m_window) window->SetDownloadText(total, done, name);
}

void cPatcher::ErrorBox(const char* title, const char* format, ...) {
  if (m_cancel) return;
  va_list args;
  va_start(args, format);
  int length = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  if (length < 0) return;
  std::vector<char> text(static_cast<size_t>(length) + 1);
  va_start(args, format);
  std::vsnprintf(text.data(), text.size(), format, args);
  va_end(args);
  ShowMessageBox(nullptr, text.data(), title, MB_OK | MB_ICONERROR);
}

void cPatcher::ShowMessageBox(HWND owner, const char* text, const char* caption, UINT type) {
  MessageBoxA(owner, text, caption, type);
}

void cPatcher::ShowVersion(const char* version) {
  if (cPatchWindow* window = m_window) window->SetVersionText(version);
}

void cPatcher::ShowNewVersion(const char* version) {
  if (cPatchWindow* window = m_window) {
    window->SetVersionText(version);
    window->RedrawVersionArea();
  }
}

void cPatcher::PostError(PatchError code) { PostMessageA(m_hwnd, WM_PATCH_ERROR, static_cast<WPARAM>(code), 0); }

// The end of a run: tells a still attached window, unless the run was cancelled.
int cPatcher::Finish() {
  cPatchWindow* window = m_window;
  if (window && !m_cancel) window->OnPatchFinished(true);
  return 0;
}

// The end of a run that the window is not told about.
int cPatcher::Stop() {
  m_stoppable = true;
  return 0;
}
