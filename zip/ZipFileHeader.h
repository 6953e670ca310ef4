// One entry's central directory header: the fixed fields, the name (stored converted:
// "\" separators, and on Windows DOS names in the ANSI code page), the extra field and
// the comment.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>

#include "ZipAutoBuffer.h"

class CZipStorage;

class CZipFileHeader {
 public:
  CZipFileHeader() = default;

  // Reads one central header at the storage's current position, scrambled or plain,
  // without going past bytesLeft (the rest of the central directory), which it
  // reduces by what it consumed. False when the header is damaged or memory runs out.
  bool ReadCentral(CZipStorage& storage, uint64_t& bytesLeft);

  // The converted name; never null.
  const char* GetFileName() const;
  // The name's length in bytes as stored (a name with a zero byte inside is longer
  // than the string GetFileName returns).
  size_t GetFileNameLength() const { return m_iNameLength; }
  uint32_t GetSize() const { return m_uUncomprSize; }
  int GetSystemCompatibility() const { return m_uVersionMadeBy >> 8; }
  // The external attributes as Windows attribute bits, by the system that made the entry.
  uint32_t GetSystemAttr() const;
  // A folder entry: its converted attributes have the directory bit, or its name ends
  // with a separator.
  bool IsDirectory() const;
  bool IsEncrypted() const;
  // The DOS date and time read as local time; -1 when they do not form a time.
  time_t GetTime() const;
  // True when the fixed part and the name were read scrambled.
  bool WasScrambled() const { return m_bScrambled; }

  uint16_t m_uVersionMadeBy = 0;
  uint16_t m_uVersionNeeded = 0;
  uint16_t m_uFlag = 0;
  uint16_t m_uMethod = 0;
  uint16_t m_uModTime = 0;
  uint16_t m_uModDate = 0;
  uint32_t m_uCrc32 = 0;
  uint32_t m_uComprSize = 0;
  uint32_t m_uUncomprSize = 0;
  uint16_t m_uDiskStart = 0;
  uint16_t m_uInternalAttr = 0;
  uint32_t m_uExternalAttr = 0;
  uint32_t m_uOffset = 0;
  CZipAutoBuffer m_pszFileName;  // converted name plus a terminating zero
  CZipAutoBuffer m_pExtraField;
  CZipAutoBuffer m_pszComment;

 private:
  void ConvertFileName();

  size_t m_iNameLength = 0;
  bool m_bScrambled = false;
};
