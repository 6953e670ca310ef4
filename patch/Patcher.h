// The patch engine: one per launcher run, owned by the main window. Its worker thread
// runs Run once: wait for the external patcher, read the local version, fetch the
// server's version record, decide, download the archive, apply it and replace the
// version file. Progress goes to the window through cPatchWindow; every error is
// posted to the window handle as WM_PATCH_ERROR with a PatchError code.
//
// Threads: the window's thread constructs, calls Init, Cancel, IsAlive and destroys;
// the worker runs Run and the callbacks. Cancel sets the cancel flag before it
// detaches the window, and the worker reads the window pointer once per notification.
#pragma once

#include "net/Loader.h"
#include "net/WinHandle.h"
#include "patch/PackStorageSlots.h"
#include "patch/PatchMessages.h"
#include "patch/PatchWindow.h"
#include "patch/VersionRules.h"
#include "sign/CngSignature.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>

class CZipArchive;
class GlobalBlock;
class cPackStorage;
class cExtractProgress;

class cPatcher {
public:
  explicit cPatcher(cPatchWindow* window);
  virtual ~cPatcher();
  cPatcher(const cPatcher&) = delete;
  cPatcher& operator=(const cPatcher&) = delete;

  // Stores the error window and the instance, creates the loader and makes this the
  // process-wide engine. Without a loader it tells the user, posts WM_CLOSE to hwnd
  // and returns false; Run then does nothing.
  bool Init(HWND hwnd, HINSTANCE instance);
  // The worker's body; returns 0.
  int Run();
  // Window thread: stops the run at its next check and detaches the window.
  void Cancel();
  bool IsAlive() const { return !m_cancel; }
  bool IsStoppable() const { return m_stoppable; }

  void SetStep(int step, unsigned total);
  void SetProgress(const char* name, unsigned value);
  // Forwards the download text at most once per 100 ms; a total of 0 (clearing the
  // text) always goes through.
  void UpdateDownloadText(unsigned total, unsigned done, const char* name);
  // Shows a formatted error box without owner, unless the run was cancelled.
  void ErrorBox(const char* title, const char* format, ...) __attribute__((format(printf, 3, 4)));

  // Progress callback of the archive transfer; reaches the engine through
  // g_pPatchEngine. Returns the transfer's new status.
  static int WINAPI DownloadCallback(unsigned total, unsigned done, const char* name);

  // For tests: the server that the next connection goes to (the build's download
  // server by default). May be called while a run is going on.
  void SetDownloadServer(const char* host, int port);
  // For tests: the release key that signatures are checked with (128 hexadecimal
  // digits), "" for none; the build's KQ_RELEASE_PUBLIC_KEY by default. False, and no
  // checking, for a key that is not 128 hexadecimal digits. Before Run only.
  bool SetReleaseKey(const char* hex);

protected:
  // --- Archive application ----------------------------------------------------------
  // Unpacks every entry of the archive into the game folder; false for an unreadable
  // archive, an unsafe entry name or an entry that cannot be written.
  virtual bool ExtractPatch(const char* archiveName);
  // Folds each "3DData" staging sub-folder into the pack of the same name and removes
  // the staging folder; true also when there is none (the storage is not loaded then).
  // On failure the staging folder stays for the next run.
  virtual bool UpdatePackFiles();
  // Adds the files below folderPath to packName and commits it.
  bool UpdatePack(std::string folderPath, std::string packName);
  // The bytes written so far while an entry is unpacked (done counts the whole
  // archive); false stops the extraction, as after a cancel. Tests replace it to end
  // the process part-way through an entry.
  virtual bool OnExtractProgress(const char* name, unsigned done);
  // The pack storage's commit progress; reaches the engine through g_pPatchEngine.
  // Returns 1 to ask for a stop (no engine, or cancelled), else 0.
  static int WINAPI PackProgressCallback(int done, int total, int extra);

  // Waits ms before the record fetch's next attempt; returns at once, false, when the
  // run is cancelled. Tests replace it to see the pauses.
  virtual bool PauseBeforeRetry(unsigned ms);
  // The same before the archive transfer's next attempt after a broken transfer.
  virtual bool PauseBeforeResume(unsigned ms);
  // The archive transfer's progress: done of total bytes held. Tests replace it to end
  // the process part-way through a download.
  virtual void OnDownloadProgress(unsigned total, unsigned done);

  // Shows a message box; tests replace it so that no box waits for a user.
  virtual void ShowMessageBox(HWND owner, const char* text, const char* caption, UINT type);

private:
  friend class cExtractProgress;
  enum RecordFetch { RECORD_OK, RECORD_UNUSABLE, RECORD_RECONNECT_FAILED, RECORD_CANCELLED };

  bool WaitForAuthPatch();
  int ConnectLoader();
  int FetchRecordOnce(const char* path, GlobalBlock& block, unsigned* size);
  RecordFetch FetchServerRecord(const char* local, ServerRecord* record, char* bytes);
  int TransferArchive(const char* local, char* archiveName, size_t archiveNameSize);
  int TransferContinuing(const char* path, const char* archiveName);
  bool WaitUnlessCancelled(unsigned ms);
  bool DownloadArchive(char* local, char* archiveName, size_t archiveNameSize);
  bool IsSignedArchive(const char* local, const char* archiveName);
  int ApplyArchive(const char* archiveName, const char* local, const ServerRecord& record);
  static bool DeliversGraphicsModule(const char* archiveName);
  int ReportDownload(unsigned total, unsigned done, const char* name);
  bool FetchSignature(const char* path, unsigned char signature[RELEASE_SIGNATURE_SIZE]);
  void LogSignatureCheck(const char* path, SignatureCheck check);
  bool CheckRecordSignature(const char* recordPath, const char* record);
  bool CheckArchiveSignature(const char* archivePath, const char* archiveName, const char* local);
  bool CarriesSignedRecord(const char* archiveName, const char* local);
  bool EntryHoldsSignedRecord(CZipArchive& archive, int index, const char* archiveName);
  void ShowVersion(const char* version);
  void ShowNewVersion(const char* version);
  void PostError(PatchError code);
  int Finish();
  int Stop();
  bool AddStagedFiles(NorvFileStorage* files, PackHandle pack, const std::string& folderPath);

  std::atomic<cPatchWindow*> m_window;
  HWND m_hwnd = nullptr;
  HINSTANCE m_instance = nullptr;
  std::atomic<bool> m_cancel{false};
  std::atomic<bool> m_stoppable{true};
  WinHandle m_cancelEvent;  // set by Cancel, for the waits that must end at a cancel
  std::unique_ptr<Loader> m_loader;
  cPackStorage* m_packStorage = nullptr;  // during UpdatePackFiles only
  DWORD m_lastTextTime = 0;
  uint32_t m_jitter;  // the record retry pauses' random sequence
  bool m_checkSignatures = false;
  unsigned char m_releaseKey[RELEASE_KEY_SIZE] = {};
  char m_signedRecord[VERSION_RECORD_SIZE + 1] = {};  // the record as fetched (and verified)

  std::mutex m_serverLock;
  char m_host[1024];
  int m_port;
};

// The engine that the plain progress callbacks report to; set by Init.
extern cPatcher* g_pPatchEngine;
