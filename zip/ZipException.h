// The reason an archive operation failed: a code and the file (archive or entry) it
// concerns. The reading path never throws it; CZipArchive keeps the last one so that
// tools can print a clear line.
#pragma once

#include <string>

class CZipException {
 public:
  enum Cause {
    noError = 0,
    cannotOpen,         // the archive file cannot be opened
    notAnArchive,       // no valid end record
    badArchive,         // the central directory is damaged
    notOpen,            // the archive is closed
    badIndex,           // no entry with that index
    entryOpen,          // another entry is being read
    unsafeName,         // the entry name would write outside the target folder
    badLocalHeader,     // the local header does not match the central one
    unsupportedMethod,  // neither stored nor deflated
    encrypted,          // encrypted entries are not supported
    shortEntry,         // the data ends before the announced size
    dataError,          // the deflate stream is damaged
    badCrc,             // the data does not match its CRC-32
    cannotWrite,        // the target cannot be created or written
    cannotSetInfo,      // the time or the attributes cannot be set
    badArgument,        // a caller error (buffer size 0)
    outOfMemory,
    cancelled,          // the caller stopped the extraction part-way
  };

  CZipException(int cause = noError, const std::string& path = std::string());

  // A short text for a cause, such as "CRC mismatch"; never null.
  static const char* GetCauseText(int cause);
  const char* GetCauseText() const { return GetCauseText(m_iCause); }

  int m_iCause;
  std::string m_szFileName;
};
