// The patch archive's download: the archive named after the local version, once the
// full archive instead when the server answered with a web page. A transfer that
// breaks is continued after a pause on a new connection, from the byte it reached,
// as long as the server's validator says the file is the same; one that a crash or
// a cancel ended is continued by the next run (see PartialArchive.h).
#include "patch/Patcher.h"

#include "net/TransferThread.h"
#include "patch/PartialArchive.h"
#include "patch/RetryPause.h"

namespace {

bool IsClientError(int httpStatus) { return httpStatus >= 400 && httpStatus < 500; }

}  // namespace

// Transfers the archive named after local into archiveName; returns the final status,
// or LOADER_STATUS_RUNNING for any transfer that failed.
int cPatcher::TransferArchive(const char* local, char* archiveName, size_t archiveNameSize) {
  char path[260] = {};
  MakeArchivePath(local, path, sizeof(path));
  MakeArchiveName(local, archiveName, archiveNameSize);
  int status = LOADER_STATUS_RUNNING;
  // On a thread of its own, reconnections and pauses included (see
  // net/TransferThread.h); a cancel stops it at its next chunk through the progress
  // callback, or ends a pause.
  auto transfer = [&] { status = TransferContinuing(path, archiveName); };
  if (RunOnTransferThread(transfer) != 0) return LOADER_STATUS_RUNNING;
  return status;
}

// The attempts of one archive transfer. Each continues what the last left when the
// server's validator allows it; the bytes received stay in the partial file until the
// last one arrived. Gives up after ARCHIVE_ATTEMPTS_WITHOUT_PROGRESS attempts in a
// row that brought nothing, at a cancel, and at a failure that another attempt would
// not mend (the local file, an answer without a length).
int cPatcher::TransferContinuing(const char* path, const char* archiveName) {
  cPartialArchive partial(archiveName);
  FileTransfer transfer;
  partial.Prepare(&transfer);
  for (int failures = 0;;) {
    const unsigned heldBefore = transfer.offset;
    int status = LOADER_STATUS_RUNNING;
    int result =
        m_loader->DownloadToFileFrom(path, DownloadCallback, &status, partial.DataName(), archiveName, &transfer);
    if (result == LOADER_OK && (status == LOADER_STATUS_COMPLETE || status == LOADER_STATUS_WEB_PAGE)) {
      if (partial.Complete()) return status;
      m_loader->WriteLog("CreateFile Error");
      return LOADER_STATUS_RUNNING;
    }
    if (!transfer.retryable || m_cancel) return LOADER_STATUS_RUNNING;
    // The server refused the rest (the file is gone, or the range no longer fits
    // it): the next attempt asks for the whole file.
    if (IsClientError(transfer.httpStatus) && heldBefore > 0) {
      partial.Discard();
      transfer.held = 0;
    }
    // Without a validator nothing tells that the rest would belong to the same file.
    transfer.offset = transfer.validator[0] ? transfer.held : 0;
    failures = transfer.held > heldBefore ? 0 : failures + 1;
    if (failures >= ARCHIVE_ATTEMPTS_WITHOUT_PROGRESS) return LOADER_STATUS_RUNNING;
    if (!PauseBeforeResume(ArchiveRetryPauseMs(failures, NextJitter(&m_jitter)))) return LOADER_STATUS_RUNNING;
    if (ConnectLoader() != LOADER_OK) return LOADER_STATUS_RUNNING;
  }
}

// Downloads the archive for local, falling back once to the full archive when the
// server answered with a web page. On failure posts PATCH_ERR_DOWNLOAD and logs why.
bool cPatcher::DownloadArchive(char* local, char* archiveName, size_t archiveNameSize) {
  SetStep(PATCH_STEP_DOWNLOAD, 0);
  // What earlier runs left of other downloads can never be continued now.
  char fullVersion[VERSION_LENGTH + 1] = {};
  lstrcpynA(fullVersion, local, sizeof(fullVersion));
  MakeFullArchiveVersion(fullVersion);
  char ownArchive[260] = {}, fullArchive[260] = {};
  MakeArchiveName(local, ownArchive, sizeof(ownArchive));
  MakeArchiveName(fullVersion, fullArchive, sizeof(fullArchive));
  cPartialArchive::RemoveOthers(ownArchive, fullArchive);

  int status = TransferArchive(local, archiveName, archiveNameSize);
  if (status == LOADER_STATUS_WEB_PAGE) {
    // A cancelled run starts no new transfer.
    if (m_cancel) return false;
    MakeFullArchiveVersion(local);
    if (TransferArchive(local, archiveName, archiveNameSize) == LOADER_STATUS_COMPLETE) {
      return IsSignedArchive(local, archiveName);
    }
    PostError(PATCH_ERR_DOWNLOAD);
    m_loader->WriteLog("01");
    return false;
  }
  if (status == LOADER_STATUS_COMPLETE) return IsSignedArchive(local, archiveName);
  PostError(PATCH_ERR_DOWNLOAD);
  m_loader->WriteLog("02");
  return false;
}

// With the publisher's key built in, an archive that is not the publisher's is
// deleted before anything of it is unpacked (PATCH_ERR_DOWNLOAD).
bool cPatcher::IsSignedArchive(const char* local, const char* archiveName) {
  if (!m_checkSignatures) return true;
  char path[260] = {};
  MakeArchivePath(local, path, sizeof(path));
  if (CheckArchiveSignature(path, archiveName, local)) return true;
  SetFileAttributesA(archiveName, FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(archiveName);
  PostError(PATCH_ERR_DOWNLOAD);
  return false;
}

bool cPatcher::PauseBeforeRetry(unsigned ms) { return WaitUnlessCancelled(ms); }

bool cPatcher::PauseBeforeResume(unsigned ms) { return WaitUnlessCancelled(ms); }

// Waits ms; returns at once, false, when the run is cancelled.
bool cPatcher::WaitUnlessCancelled(unsigned ms) {
  if (!m_cancelEvent) {
    Sleep(ms);
    return !m_cancel;
  }
  return WaitForSingleObject(m_cancelEvent.Get(), ms) == WAIT_TIMEOUT;
}

void cPatcher::OnDownloadProgress(unsigned, unsigned) {}
