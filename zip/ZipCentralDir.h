// The central directory: the end record, the offset correction for bytes that stand
// in front of the archive, and the owned entry headers in directory order.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "ZipAutoBuffer.h"
#include "ZipException.h"
#include "ZipFileHeader.h"

class CZipStorage;

class CZipCentralDir {
 public:
  // Distance from the end of the file within which the end record must start:
  // the record itself plus the longest comment.
  static const int64_t kEndRecordReach = 22 + 0xFFFF;
  // The end record is searched for backwards in steps of this many bytes.
  static const size_t kSearchStep = 32768;

  // Finds the end record and reads every header. On failure the directory is empty
  // and the cause is notAnArchive (no valid end record) or badArchive.
  bool Read(CZipStorage& storage, int& cause);
  void Clear();

  int GetCount() const { return (int)m_headers.size(); }
  // The header at index, or null when index is out of range.
  const CZipFileHeader* GetHeader(int index) const;
  // Where the archive's own offsets start in the file.
  int64_t GetBytesBeforeZip() const { return m_iBytesBeforeZip; }

  uint16_t m_uThisDisk = 0;
  uint16_t m_uDiskWithCD = 0;
  uint16_t m_uDiskEntriesNo = 0;
  uint16_t m_uEntriesNumber = 0;
  uint32_t m_uSize = 0;
  uint32_t m_uOffset = 0;
  CZipAutoBuffer m_pszComment;
  int64_t m_iEndRecordPos = -1;

 private:
  bool FindEndRecord(CZipStorage& storage);
  bool ReadEndRecordAt(CZipStorage& storage, int64_t position);
  bool ReadHeaders(CZipStorage& storage);

  int64_t m_iBytesBeforeZip = 0;
  std::vector<std::unique_ptr<CZipFileHeader>> m_headers;
};
