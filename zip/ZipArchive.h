// Read access to a patch archive: the zip format with central directory headers that
// may be scrambled with the header key table. Opens an archive, lists its entries and
// unpacks them to disk. Nothing here throws: failures come back as results, and the
// cause of the last one is kept for tools (GetLastFailure).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include <zlib.h>

#include "ZipAutoBuffer.h"
#include "ZipCentralDir.h"
#include "ZipException.h"
#include "ZipExtractObserver.h"
#include "ZipFileHeader.h"
#include "ZipStorage.h"

class CZipArchive {
 public:
  enum OpenMode {
    zipOpen = 0,          // existing archive, read and write access, no other opener
    zipOpenReadOnly = 1,  // existing archive, read access only; others may read
  };
  // Results of CloseFile.
  enum CloseResult {
    closeNotOpen = 0,
    closeOk = 1,
    closeUnread = -1,     // bytes of the entry were not read (short or damaged data)
    closeInfoFailed = -2, // the file's time or attributes could not be set
    closeBadCrc = -3,     // everything was read but the CRC-32 does not match
  };
  static const size_t kInputBufferSize = 65536;

  CZipArchive();
  ~CZipArchive();
  CZipArchive(const CZipArchive&) = delete;
  CZipArchive& operator=(const CZipArchive&) = delete;

  // Opens an existing single-volume archive and reads its central directory. True
  // when it was already open. A missing or damaged archive leaves it closed, with no
  // entries, and returns false. volumeSize is accepted for the caller's sake and
  // ignored: spanned archives are not supported.
  bool Open(const char* path, int mode = zipOpen, int volumeSize = 0);
  // Ends an entry that is still open, frees the headers and closes the file. The
  // archive is never written back, so updateTimeStamp has nothing to do.
  void Close(bool afterException = false, bool updateTimeStamp = false);
  bool IsClosed() const { return !m_storage.IsOpen(); }

  // The number of entries; folders are left out when onlyFiles is true.
  int GetCount(bool onlyFiles = false) const;
  // Copies the header of entry index; false when closed or index is out of range.
  bool GetFileInfo(CZipFileHeader& header, int index) const;

  // Writes entry index to disk. The target is the entry name (folders kept when
  // fullPath is true, otherwise only its last part, or newName when given) below path,
  // or below the current folder when path is null or empty. A file is written under a
  // temporary name beside its target (the target's name with TEMP_SUFFIX; one left by
  // an interrupted run is removed first) and renamed to the target only once its data,
  // CRC, time and attributes are all good, so neither a failure nor a crash ever leaves
  // a partial file under the target's name or damages a file that was there. The
  // observer, when given, hears of every chunk written. Returns false for an unsafe
  // name, a damaged or unsupported entry, a failed write or a stop by the observer;
  // nothing is left behind then.
  bool ExtractFile(int index, const char* path, bool fullPath = true, const char* newName = nullptr,
                   size_t bufferSize = 65536, CZipExtractObserver* observer = nullptr);
  // The ending of the temporary name of an entry being written, ".kqpart".
  static const char TEMP_SUFFIX[];
  // True when path names such a temporary (the ending compared without case).
  static bool IsTemporaryName(const std::string& path);

  // Prepares entry index for reading; false when closed, out of range, another entry
  // is open, or its local header does not match, its method is not stored or deflated
  // or it is encrypted.
  bool OpenFile(int index);
  // Reads up to n bytes of the open entry (never more than remain); fewer at its end,
  // 0 on damaged data.
  size_t ReadFile(void* buffer, size_t n);
  // Ends the open entry and returns a CloseResult. With a path, that file gets the
  // entry's time and attributes.
  int CloseFile(const char* path = nullptr, bool afterException = false);

  // The cause and file of the last failure; cause noError after success.
  const CZipException& GetLastFailure() const { return m_lastFailure; }

 private:
  enum EntryState { entryClosed, entryReading };

  bool Fail(int cause, const std::string& file);
  bool FailNoMemory() noexcept;
  bool OpenArchive(const char* path, int mode);
  bool OpenEntry(int index);
  bool ReadLocalHeader(const CZipFileHeader& header);
  size_t ReadStored(unsigned char* out, size_t n);
  size_t ReadDeflated(unsigned char* out, size_t n);
  bool RefillInput();
  int FinishEntry(const char* path);
  void ResetEntry();
  bool Extract(int index, const char* path, bool fullPath, const char* newName, size_t bufferSize,
               CZipExtractObserver* observer);
  bool ExtractDirectory(const CZipFileHeader& header, const std::string& target);
  bool ExtractToFile(int index, const std::string& target, size_t bufferSize, CZipExtractObserver* observer);
  bool CreateOutput(const std::string& temporary, CZipFile& file);
  // 1: the entry was written whole; 0: a write failed; -1: the observer stopped it.
  int WriteEntryTo(CZipFile& file, unsigned char* buffer, size_t bufferSize, CZipExtractObserver* observer);

  CZipStorage m_storage;
  CZipCentralDir m_centralDir;
  CZipException m_lastFailure;

  // Read state of the one entry that can be open.
  EntryState m_iState = entryClosed;
  int m_iEntry = -1;
  z_stream m_stream;
  bool m_bStreamReady = false;
  bool m_bStreamEnded = false;
  CZipAutoBuffer m_inputBuffer;
  CZipAutoBuffer m_extractBuffer;
  uint32_t m_uComprLeft = 0;
  uint32_t m_uUncomprLeft = 0;
  uint32_t m_uCrc = 0;
  int m_iReadCause = CZipException::noError;  // why reading stopped early, if it did
};
