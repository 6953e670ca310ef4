#include "ZipWriter.h"

#include <cerrno>
#include <cstring>
#include <memory>

#include <zlib.h>

#include "zip/ZipException.h"
#include "zip/ZipFormat.h"
#include "zip/ZipHeaderKeys.h"
#include "zip/ZipPathComponent.h"
#include "zip/ZipPlatform.h"

using namespace zipfmt;

namespace {

const size_t kChunk = 65536;
const uint16_t kVersionStored = 10;
const uint16_t kVersionDeflated = 20;
// Made by Windows NTFS (high byte 10), format version 2.0: the attributes are Windows
// bits and the reader keeps the name's bytes as they are.
const uint16_t kVersionMadeBy = (10 << 8) | 20;
const uint32_t kMax32 = 0xFFFFFFFFu;
const size_t kMaxEntries = 0xFFFF;
// The archive is written beside its path under this suffix until it is complete.
const char kWritingSuffix[] = ".writing";
const int kWritingAttempts = 16;

void ToDosTime(time_t modified, uint16_t& dosTime, uint16_t& dosDate) {
  struct tm local = {};
#ifdef _WIN32
  bool ok = localtime_s(&local, &modified) == 0;
#else
  bool ok = localtime_r(&modified, &local) != nullptr;
#endif
  if (!ok || local.tm_year < 80) {
    dosTime = 0;
    dosDate = (1 << 5) | 1;  // 1980-01-01
    return;
  }
  if (local.tm_year > 80 + 127) local.tm_year = 80 + 127;
  dosTime = (uint16_t)((local.tm_hour << 11) | (local.tm_min << 5) | (local.tm_sec / 2));
  dosDate = (uint16_t)(((local.tm_year - 80) << 9) | ((local.tm_mon + 1) << 5) | local.tm_mday);
}

}  // namespace

CZipWriter::~CZipWriter() { Abandon(); }

bool CZipWriter::CheckName(const std::string& name, const CNameCodePage& names, std::string& reason) {
  std::string stored;
  if (!names.Convert(name, stored, reason)) return false;
  for (char& c : stored) {
    if (c == '/') c = '\\';
  }
  if (!CZipPathComponent::IsSafeEntryName(stored.c_str(), stored.size())) {
    reason = CZipException::GetCauseText(CZipException::unsafeName);
    return false;
  }
  return true;
}

std::string CZipWriter::ReaderName(const std::string& name, const CNameCodePage& names) {
  std::string stored;
  std::string reason;
  names.Convert(name, stored, reason);
  for (char& c : stored) {
    if (c == '/') c = '\\';
  }
  return stored;
}

bool CZipWriter::Fail(const std::string& reason) {
  m_szError = reason;
  return false;
}

bool CZipWriter::Create(const std::string& path, bool scrambled, const CNameCodePage& names) {
  if (!OpenWritingFile(path)) return Fail(std::string("cannot create: ") + strerror(m_file.GetErrno()));
  m_szPath = path;
  m_bScrambled = scrambled;
  m_names = names;
  m_bOpen = true;
  m_iPosition = 0;
  m_entries.clear();
  return true;
}

// Opens a new file beside path: path + kWritingSuffix, with a number added while
// that name is taken, so no file that is already there is overwritten.
bool CZipWriter::OpenWritingFile(const std::string& path) {
  for (int attempt = 0; attempt < kWritingAttempts; ++attempt) {
    m_szWriting = path + kWritingSuffix + (attempt > 0 ? std::to_string(attempt) : std::string());
    if (m_file.Open(m_szWriting.c_str(), CZipFile::modeCreateNew)) return true;
    if (m_file.GetErrno() != EEXIST) return false;
  }
  return false;
}

bool CZipWriter::StartEntry(Entry& entry, const std::string& name, uint32_t attributes, time_t modified) {
  if (m_entries.size() >= kMaxEntries) return Fail("too many entries (at most 65535)");
  if (m_iPosition > (int64_t)kMax32) return Fail("archive too large (at most 4 GiB)");
  std::string reason;
  if (!m_names.Convert(name, entry.name, reason)) return Fail(reason);
  if (entry.name.size() > 0xFFFF) return Fail("name too long");
  entry.attributes = attributes;
  entry.offset = (uint32_t)m_iPosition;
  ToDosTime(modified, entry.dosTime, entry.dosDate);
  return true;
}

bool CZipWriter::AddFolder(const std::string& name, uint32_t attributes, time_t modified) {
  Entry entry;
  if (!StartEntry(entry, name, attributes, modified)) return false;
  if (!WriteLocalHeader(entry)) return false;
  m_entries.push_back(entry);
  return true;
}

bool CZipWriter::AddFile(const std::string& diskPath, const std::string& name, uint32_t attributes,
                         time_t modified) {
  CZipFile source;
  if (!source.Open(diskPath.c_str(), CZipFile::modeRead)) return Fail(std::string("cannot read: ") + strerror(source.GetErrno()));
  int64_t length = source.GetLength();
  if (length < 0) return Fail("cannot read");
  if (length > (int64_t)kMax32) return Fail("file too large (at most 4 GiB)");

  Entry entry;
  if (!StartEntry(entry, name, attributes, modified)) return false;
  entry.size = (uint32_t)length;
  if (!WriteLocalHeader(entry)) return false;
  const int64_t dataStart = m_iPosition;

  bool shrank = false;
  if (!WriteDeflated(source, entry, shrank)) return false;
  if (!shrank) {
    // Deflate does not make it smaller: store it instead, over the deflated bytes.
    if (!source.Seek(0) || !m_file.Seek(dataStart)) return Fail("cannot write archive");
    m_iPosition = dataStart;
    if (!WriteStored(source, entry)) return false;
  }
  if (m_iPosition > (int64_t)kMax32) return Fail("archive too large (at most 4 GiB)");

  // The sizes and CRC are known now: complete the local header in place.
  const int64_t end = m_iPosition;
  if (!m_file.Seek(entry.offset) || !WriteLocalHeader(entry) || !m_file.Seek(end)) {
    return Fail("cannot write archive");
  }
  m_iPosition = end;
  m_entries.push_back(entry);
  return true;
}

bool CZipWriter::WriteLocalHeader(const Entry& entry) {
  unsigned char header[kLocalSize] = {};
  Put32(header, kLocalSignatureOfs, kLocalSignature);
  Put16(header, kLocalNeededOfs, entry.method == kMethodDeflated ? kVersionDeflated : kVersionStored);
  Put16(header, kLocalFlagsOfs, 0);
  Put16(header, kLocalMethodOfs, entry.method);
  Put16(header, kLocalTimeOfs, entry.dosTime);
  Put16(header, kLocalDateOfs, entry.dosDate);
  Put32(header, kLocalCrcOfs, entry.crc);
  Put32(header, kLocalCompSizeOfs, entry.compressedSize);
  Put32(header, kLocalSizeOfs, entry.size);
  Put16(header, kLocalNameLenOfs, (uint16_t)entry.name.size());
  Put16(header, kLocalExtraLenOfs, 0);
  if (!m_file.Write(header, kLocalSize) || !m_file.Write(entry.name.data(), entry.name.size())) {
    return Fail("cannot write archive");
  }
  m_iPosition += (int64_t)(kLocalSize + entry.name.size());
  return true;
}

// Deflates the source behind the local header. shrank tells whether the result is
// smaller than the data; deflating stops as soon as it cannot be.
bool CZipWriter::WriteDeflated(CZipFile& source, Entry& entry, bool& shrank) {
  z_stream stream;
  std::memset(&stream, 0, sizeof(stream));
  if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
    return Fail("out of memory");
  }
  std::unique_ptr<unsigned char[]> input(new unsigned char[kChunk]);
  std::unique_ptr<unsigned char[]> output(new unsigned char[kChunk]);
  uint32_t crc = 0;
  uint64_t total = 0;
  uint64_t written = 0;
  bool ok = true;
  int flush = Z_NO_FLUSH;
  while (ok && flush != Z_FINISH && written < entry.size) {
    int64_t got = source.Read(input.get(), kChunk);
    if (got < 0) {
      ok = Fail("cannot read");
      break;
    }
    total += (uint64_t)got;
    crc = (uint32_t)crc32(crc, input.get(), (uInt)got);
    flush = got == 0 ? Z_FINISH : Z_NO_FLUSH;
    stream.next_in = input.get();
    stream.avail_in = (uInt)got;
    do {
      stream.next_out = output.get();
      stream.avail_out = (uInt)kChunk;
      deflate(&stream, flush);
      size_t produced = kChunk - stream.avail_out;
      if (produced && !m_file.Write(output.get(), produced)) ok = Fail("cannot write archive");
      written += produced;
      m_iPosition += (int64_t)produced;
    } while (ok && stream.avail_out == 0);
  }
  deflateEnd(&stream);
  if (!ok) return false;
  shrank = flush == Z_FINISH && written < entry.size;
  if (!shrank) return true;
  if (total != entry.size) return Fail("file changed while it was packed");
  entry.method = kMethodDeflated;
  entry.crc = crc;
  entry.compressedSize = (uint32_t)written;
  return true;
}

bool CZipWriter::WriteStored(CZipFile& source, Entry& entry) {
  std::unique_ptr<unsigned char[]> buffer(new unsigned char[kChunk]);
  uint32_t crc = 0;
  uint64_t total = 0;
  for (;;) {
    int64_t got = source.Read(buffer.get(), kChunk);
    if (got < 0) return Fail("cannot read");
    if (got == 0) break;
    if (!m_file.Write(buffer.get(), (size_t)got)) return Fail("cannot write archive");
    crc = (uint32_t)crc32(crc, buffer.get(), (uInt)got);
    total += (uint64_t)got;
  }
  if (total != entry.size) return Fail("file changed while it was packed");
  entry.method = kMethodStored;
  entry.crc = crc;
  entry.compressedSize = entry.size;
  m_iPosition += (int64_t)total;
  return true;
}

bool CZipWriter::WriteCentralHeader(const Entry& entry) {
  unsigned char header[kCentralSize] = {};
  Put32(header, kCentralSignatureOfs, kCentralSignature);
  Put16(header, kCentralMadeByOfs, kVersionMadeBy);
  Put16(header, kCentralNeededOfs, entry.method == kMethodDeflated ? kVersionDeflated : kVersionStored);
  Put16(header, kCentralFlagsOfs, 0);
  Put16(header, kCentralMethodOfs, entry.method);
  Put16(header, kCentralTimeOfs, entry.dosTime);
  Put16(header, kCentralDateOfs, entry.dosDate);
  Put32(header, kCentralCrcOfs, entry.crc);
  Put32(header, kCentralCompSizeOfs, entry.compressedSize);
  Put32(header, kCentralSizeOfs, entry.size);
  Put16(header, kCentralNameLenOfs, (uint16_t)entry.name.size());
  Put16(header, kCentralExtraLenOfs, 0);
  Put16(header, kCentralCommentLenOfs, 0);
  Put16(header, kCentralDiskStartOfs, 0);
  Put16(header, kCentralIntAttrOfs, 0);
  Put32(header, kCentralExtAttrOfs, entry.attributes);
  Put32(header, kCentralLocalOfs, entry.offset);
  std::string name = entry.name;
  if (m_bScrambled) {
    ZipApplyHeaderKeys(header, kCentralSize);
    if (!name.empty()) ZipApplyHeaderKeys(reinterpret_cast<unsigned char*>(&name[0]), name.size());
  }
  if (!m_file.Write(header, kCentralSize) || !m_file.Write(name.data(), name.size())) {
    return Fail("cannot write archive");
  }
  m_iPosition += (int64_t)(kCentralSize + name.size());
  return true;
}

bool CZipWriter::Finish() {
  if (!m_bOpen) return Fail("archive not open");
  const int64_t centralStart = m_iPosition;
  if (centralStart > (int64_t)kMax32) return Fail("archive too large (at most 4 GiB)");
  for (const Entry& entry : m_entries) {
    if (!WriteCentralHeader(entry)) return false;
  }
  const int64_t centralSize = m_iPosition - centralStart;
  if (centralSize > (int64_t)kMax32 || m_iPosition > (int64_t)kMax32) return Fail("archive too large (at most 4 GiB)");
  unsigned char record[kEndSize] = {};
  Put32(record, kEndSignatureOfs, kEndSignature);
  Put16(record, kEndDiskEntriesOfs, (uint16_t)m_entries.size());
  Put16(record, kEndTotalEntriesOfs, (uint16_t)m_entries.size());
  Put32(record, kEndCentralSizeOfs, (uint32_t)centralSize);
  Put32(record, kEndCentralOffsetOfs, (uint32_t)centralStart);
  Put16(record, kEndCommentLenOfs, 0);
  if (!m_file.Write(record, kEndSize)) return Fail("cannot write archive");
  m_iPosition += (int64_t)kEndSize;
  // A stored entry may have replaced a longer deflated attempt at the very end.
  if (!m_file.SetLength(m_iPosition) || !m_file.Close()) return Fail("cannot write archive");
  if (!ZipPlatform::MoveFileOver(m_szWriting.c_str(), m_szPath.c_str())) {
    return Fail("cannot replace the file at this path");
  }
  m_bOpen = false;
  return true;
}

void CZipWriter::Abandon() {
  if (!m_bOpen) return;
  m_file.Close();
  ZipPlatform::RemoveFile(m_szWriting.c_str());
  m_bOpen = false;
}
