#include "ZipCentralDir.h"

#include <cstring>
#include <new>

#include "ZipFormat.h"
#include "ZipStorage.h"

using namespace zipfmt;

const int64_t CZipCentralDir::kEndRecordReach;
const size_t CZipCentralDir::kSearchStep;

namespace {

// A signature may straddle two search chunks: each chunk overlaps the one nearer the
// end of the file by this many bytes.
const size_t kSignatureOverlap = 3;

bool IsEndSignature(const unsigned char* p) { return Get32(p, 0) == kEndSignature; }

}  // namespace

bool CZipCentralDir::Read(CZipStorage& storage, int& cause) {
  Clear();
  if (!FindEndRecord(storage)) {
    Clear();
    cause = CZipException::notAnArchive;
    return false;
  }
  if (!ReadHeaders(storage)) {
    Clear();
    cause = CZipException::badArchive;
    return false;
  }
  return true;
}

void CZipCentralDir::Clear() {
  m_headers.clear();
  m_headers.shrink_to_fit();
  m_pszComment.Release();
  m_uThisDisk = m_uDiskWithCD = m_uDiskEntriesNo = m_uEntriesNumber = 0;
  m_uSize = m_uOffset = 0;
  m_iEndRecordPos = -1;
  m_iBytesBeforeZip = 0;
}

const CZipFileHeader* CZipCentralDir::GetHeader(int index) const {
  if (index < 0 || index >= GetCount()) return nullptr;
  return m_headers[(size_t)index].get();
}

// Searches backwards from the end of the file, within kEndRecordReach, in chunks of
// kSearchStep bytes that overlap by kSignatureOverlap. The candidate nearest the end
// that passes the record's own checks wins; a signature that happens to stand inside
// a comment is passed over.
bool CZipCentralDir::FindEndRecord(CZipStorage& storage) {
  const int64_t length = storage.GetLength();
  const int64_t reachLimit = length < kEndRecordReach ? length : kEndRecordReach;
  unsigned char chunk[kSearchStep + kSignatureOverlap];
  int64_t reach = 0;
  while (reach < reachLimit) {
    int64_t nextReach = reach + (int64_t)kSearchStep;
    if (nextReach > reachLimit) nextReach = reachLimit;
    const int64_t chunkStart = length - nextReach;
    int64_t chunkEnd = length - reach + (int64_t)kSignatureOverlap;
    if (chunkEnd > length) chunkEnd = length;
    const size_t chunkSize = (size_t)(chunkEnd - chunkStart);
    if (!storage.ReadAt(chunkStart, chunk, chunkSize)) return false;
    for (size_t i = chunkSize >= 4 ? chunkSize - 4 + 1 : 0; i-- > 0;) {
      if (IsEndSignature(chunk + i) && ReadEndRecordAt(storage, chunkStart + (int64_t)i)) return true;
    }
    reach = nextReach;
  }
  return false;
}

// Reads the end record at position and checks it: the record and its comment lie in
// the file, the central directory ends at or before the record, and the directory is
// empty exactly when there are no entries and large enough for the entries it counts.
bool CZipCentralDir::ReadEndRecordAt(CZipStorage& storage, int64_t position) {
  unsigned char record[kEndSize];
  if (!storage.ReadAt(position, record, kEndSize)) return false;
  const uint16_t entries = Get16(record, kEndTotalEntriesOfs);
  const uint32_t size = Get32(record, kEndCentralSizeOfs);
  const uint32_t offset = Get32(record, kEndCentralOffsetOfs);
  const uint16_t commentLength = Get16(record, kEndCommentLenOfs);

  if (!storage.Contains(position + (int64_t)kEndSize, commentLength)) return false;
  if ((int64_t)offset + (int64_t)size > position) return false;
  if ((size == 0) != (entries == 0)) return false;
  if ((uint64_t)entries * kCentralSize > size) return false;
  if (!m_pszComment.Allocate(commentLength) || !storage.Read(m_pszComment.GetBuffer(), commentLength)) return false;

  m_uThisDisk = Get16(record, kEndThisDiskOfs);
  m_uDiskWithCD = Get16(record, kEndCentralDiskOfs);
  m_uDiskEntriesNo = Get16(record, kEndDiskEntriesOfs);
  m_uEntriesNumber = entries;
  m_uSize = size;
  m_uOffset = offset;
  m_iEndRecordPos = position;
  m_iBytesBeforeZip = position - ((int64_t)offset + (int64_t)size);
  return true;
}

bool CZipCentralDir::ReadHeaders(CZipStorage& storage) {
  if (m_uSize == 0) return true;
  if (!storage.Seek((int64_t)m_uOffset + m_iBytesBeforeZip)) return false;
  m_headers.reserve(m_uEntriesNumber);
  uint64_t bytesLeft = m_uSize;
  for (uint16_t i = 0; i < m_uEntriesNumber; ++i) {
    std::unique_ptr<CZipFileHeader> header(new (std::nothrow) CZipFileHeader);
    if (!header || !header->ReadCentral(storage, bytesLeft)) return false;
    m_headers.push_back(std::move(header));
  }
  return true;
}
