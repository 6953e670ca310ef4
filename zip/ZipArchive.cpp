#include "ZipArchive.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <new>
#include <string>

#include "ZipFormat.h"
#include "ZipPathComponent.h"
#include "ZipPlatform.h"

using namespace zipfmt;

namespace {

// Creates path as a new file, making the missing folders above it when needed.
bool OpenNewFile(CZipFile& file, const std::string& path) {
  if (file.Open(path.c_str(), CZipFile::modeCreateNew)) return true;
  if (file.GetErrno() != ENOENT) return false;
  const std::string folder = CZipPathComponent(path).GetFilePath();
  return !folder.empty() && ZipPlatform::MakeDirectoryTree(folder) && file.Open(path.c_str(), CZipFile::modeCreateNew);
}

}  // namespace

const size_t CZipArchive::kInputBufferSize;
const char CZipArchive::TEMP_SUFFIX[] = ".kqpart";

bool CZipArchive::IsTemporaryName(const std::string& path) {
  const size_t n = sizeof(TEMP_SUFFIX) - 1;
  if (path.size() < n) return false;
  for (size_t i = 0; i < n; ++i) {
    if (std::tolower((unsigned char)path[path.size() - n + i]) != TEMP_SUFFIX[i]) return false;
  }
  return true;
}

CZipArchive::CZipArchive() { std::memset(&m_stream, 0, sizeof(m_stream)); }

CZipArchive::~CZipArchive() { Close(); }

bool CZipArchive::Fail(int cause, const std::string& file) {
  m_lastFailure.m_iCause = cause;
  m_lastFailure.m_szFileName = file;
  return false;
}

bool CZipArchive::FailNoMemory() noexcept {
  m_lastFailure.m_iCause = CZipException::outOfMemory;
  m_lastFailure.m_szFileName.clear();
  return false;
}

bool CZipArchive::Open(const char* path, int mode, int volumeSize) {
  (void)volumeSize;
  if (!IsClosed()) return true;
  try {
    return OpenArchive(path, mode);
  } catch (...) {
    m_centralDir.Clear();
    m_storage.Close();
    return FailNoMemory();
  }
}

bool CZipArchive::OpenArchive(const char* path, int mode) {
  const std::string name = path ? path : "";
  if (mode != zipOpen && mode != zipOpenReadOnly) return Fail(CZipException::badArgument, name);
  if (!m_storage.Open(path, mode == zipOpenReadOnly)) return Fail(CZipException::cannotOpen, name);
  int cause = CZipException::noError;
  if (!m_centralDir.Read(m_storage, cause)) {
    m_storage.Close();
    return Fail(cause, name);
  }
  m_lastFailure = CZipException();
  return true;
}

void CZipArchive::Close(bool afterException, bool updateTimeStamp) {
  (void)afterException;
  (void)updateTimeStamp;
  ResetEntry();
  m_centralDir.Clear();
  m_storage.Close();
  m_inputBuffer.Release();
  m_extractBuffer.Release();
}

int CZipArchive::GetCount(bool onlyFiles) const {
  if (IsClosed()) return 0;
  if (!onlyFiles) return m_centralDir.GetCount();
  int files = 0;
  for (int i = 0; i < m_centralDir.GetCount(); ++i) {
    if (!m_centralDir.GetHeader(i)->IsDirectory()) ++files;
  }
  return files;
}

bool CZipArchive::GetFileInfo(CZipFileHeader& header, int index) const {
  if (IsClosed()) return false;
  const CZipFileHeader* source = m_centralDir.GetHeader(index);
  if (!source) return false;
  try {
    header = *source;
  } catch (...) {
    return false;
  }
  return true;
}

bool CZipArchive::ExtractFile(int index, const char* path, bool fullPath, const char* newName, size_t bufferSize,
                              CZipExtractObserver* observer) {
  try {
    return Extract(index, path, fullPath, newName, bufferSize, observer);
  } catch (...) {
    ResetEntry();
    return FailNoMemory();
  }
}

bool CZipArchive::Extract(int index, const char* path, bool fullPath, const char* newName, size_t bufferSize,
                          CZipExtractObserver* observer) {
  // A zero buffer could never be filled, so the copy loop would not end.
  if (bufferSize == 0) return Fail(CZipException::badArgument, "");
  if (IsClosed()) return Fail(CZipException::notOpen, "");
  const CZipFileHeader* header = m_centralDir.GetHeader(index);
  if (!header) return Fail(CZipException::badIndex, "");
  const std::string entryName = header->GetFileName();
  if (!CZipPathComponent::IsSafeEntryName(header->m_pszFileName.GetBuffer(), header->GetFileNameLength())) {
    return Fail(CZipException::unsafeName, entryName);
  }

  std::string relative;
  if (newName && *newName) {
    relative = newName;
  } else if (fullPath) {
    relative = entryName;
  } else {
    relative = CZipPathComponent(entryName).GetFileName();
  }
  std::string target = path ? path : "";
  if (!target.empty() && !relative.empty() && !CZipPathComponent::IsSeparator(target.back())) target += '\\';
  target += relative;
  ZipPlatform::ToDiskPath(target);

  if (header->IsDirectory()) return ExtractDirectory(*header, target);
  if (target.empty() || CZipPathComponent::IsSeparator(target.back())) {
    return Fail(CZipException::cannotWrite, entryName);
  }
  return ExtractToFile(index, target, bufferSize, observer);
}

bool CZipArchive::ExtractDirectory(const CZipFileHeader& header, const std::string& target) {
  std::string folder = target;
  while (!folder.empty() && CZipPathComponent::IsSeparator(folder.back())) folder.pop_back();
  if (folder.empty()) return true;
  if (!ZipPlatform::MakeDirectoryTree(folder)) return Fail(CZipException::cannotWrite, header.GetFileName());
  if (!ZipPlatform::SetFileAttrs(folder.c_str(), header.GetSystemAttr(), true)) {
    return Fail(CZipException::cannotSetInfo, header.GetFileName());
  }
  m_lastFailure = CZipException();
  return true;
}

bool CZipArchive::ExtractToFile(int index, const std::string& target, size_t bufferSize,
                                CZipExtractObserver* observer) {
  if (!OpenEntry(index)) return false;
  const std::string entryName = m_centralDir.GetHeader(index)->GetFileName();

  // The output buffer is kept from one entry to the next.
  if (m_extractBuffer.GetSize() != bufferSize && !m_extractBuffer.Allocate(bufferSize)) {
    ResetEntry();
    return FailNoMemory();
  }
  CZipFile file;
  const std::string temporary = target + TEMP_SUFFIX;
  if (!CreateOutput(temporary, file)) {
    ResetEntry();
    return Fail(CZipException::cannotWrite, entryName);
  }

  const int written = WriteEntryTo(file, m_extractBuffer.GetBytes(), bufferSize, observer);
  const bool ok = file.Close() && written == 1;
  int result = FinishEntry(ok ? temporary.c_str() : nullptr);
  if (!ok || result != closeOk) {
    ZipPlatform::RemoveFile(temporary.c_str());
    if (written < 0) return Fail(CZipException::cancelled, entryName);
    if (!ok) return Fail(CZipException::cannotWrite, entryName);
    return false;
  }
  if (!ZipPlatform::MoveFileOver(temporary.c_str(), target.c_str())) {
    ZipPlatform::RemoveFile(temporary.c_str());
    return Fail(CZipException::cannotWrite, entryName);
  }
  m_lastFailure = CZipException();
  return true;
}

// Creates the temporary an entry is written to, with the folders above it. One of
// that name can only be the remains of an interrupted run: it is removed first.
bool CZipArchive::CreateOutput(const std::string& temporary, CZipFile& file) {
  if (OpenNewFile(file, temporary)) return true;
  if (file.GetErrno() != EEXIST) return false;
  return ZipPlatform::RemoveFile(temporary.c_str()) && file.Open(temporary.c_str(), CZipFile::modeCreateNew);
}

int CZipArchive::WriteEntryTo(CZipFile& file, unsigned char* buffer, size_t bufferSize,
                              CZipExtractObserver* observer) {
  size_t total = 0;
  for (;;) {
    size_t got = ReadFile(buffer, bufferSize);
    if (got > 0) {
      if (!file.Write(buffer, got)) return 0;
      total += got;
      if (observer && !observer->OnExtracted(total)) return -1;
    }
    if (got < bufferSize) return 1;
  }
}

bool CZipArchive::OpenFile(int index) {
  try {
    return OpenEntry(index);
  } catch (...) {
    ResetEntry();
    return FailNoMemory();
  }
}

bool CZipArchive::OpenEntry(int index) {
  if (IsClosed()) return Fail(CZipException::notOpen, "");
  if (m_iState != entryClosed) return Fail(CZipException::entryOpen, "");
  const CZipFileHeader* header = m_centralDir.GetHeader(index);
  if (!header) return Fail(CZipException::badIndex, "");
  if (header->IsEncrypted()) return Fail(CZipException::encrypted, header->GetFileName());
  if (header->m_uMethod != kMethodStored && header->m_uMethod != kMethodDeflated) {
    return Fail(CZipException::unsupportedMethod, header->GetFileName());
  }
  if (!ReadLocalHeader(*header)) return false;
  if (!m_inputBuffer.IsAllocated() && !m_inputBuffer.Allocate(kInputBufferSize)) return FailNoMemory();

  std::memset(&m_stream, 0, sizeof(m_stream));
  if (header->m_uMethod == kMethodDeflated) {
    if (inflateInit2(&m_stream, -MAX_WBITS) != Z_OK) return FailNoMemory();
    m_bStreamReady = true;
  }
  m_bStreamEnded = false;
  m_uComprLeft = header->m_uComprSize;
  m_uUncomprLeft = header->m_uUncomprSize;
  m_uCrc = 0;
  m_iReadCause = CZipException::noError;
  m_iEntry = index;
  m_iState = entryReading;
  return true;
}

// Checks the local header against the central one and leaves the storage at the
// entry's data, which must lie wholly inside the file.
bool CZipArchive::ReadLocalHeader(const CZipFileHeader& header) {
  const std::string name = header.GetFileName();
  const int64_t position = (int64_t)header.m_uOffset + m_centralDir.GetBytesBeforeZip();
  unsigned char local[kLocalSize];
  if (!m_storage.ReadAt(position, local, kLocalSize)) return Fail(CZipException::badLocalHeader, name);
  if (Get32(local, kLocalSignatureOfs) != kLocalSignature) return Fail(CZipException::badLocalHeader, name);
  if (Get16(local, kLocalMethodOfs) != header.m_uMethod) return Fail(CZipException::badLocalHeader, name);
  if (!(Get16(local, kLocalFlagsOfs) & kFlagDataDescriptor)) {
    if (Get32(local, kLocalCrcOfs) != header.m_uCrc32 || Get32(local, kLocalCompSizeOfs) != header.m_uComprSize ||
        Get32(local, kLocalSizeOfs) != header.m_uUncomprSize) {
      return Fail(CZipException::badLocalHeader, name);
    }
  }
  const uint64_t variable = (uint64_t)Get16(local, kLocalNameLenOfs) + Get16(local, kLocalExtraLenOfs);
  if (!m_storage.Skip(variable)) return Fail(CZipException::badLocalHeader, name);
  if (!m_storage.Contains(m_storage.GetPosition(), header.m_uComprSize)) {
    return Fail(CZipException::shortEntry, name);
  }
  return true;
}

size_t CZipArchive::ReadFile(void* buffer, size_t n) {
  if (m_iState != entryReading || !buffer) return 0;
  if (n > m_uUncomprLeft) n = m_uUncomprLeft;
  if (n == 0) return 0;
  unsigned char* out = static_cast<unsigned char*>(buffer);
  const CZipFileHeader* header = m_centralDir.GetHeader(m_iEntry);
  size_t got = header->m_uMethod == kMethodStored ? ReadStored(out, n) : ReadDeflated(out, n);
  m_uCrc = (uint32_t)crc32(m_uCrc, out, (uInt)got);
  m_uUncomprLeft -= (uint32_t)got;
  return got;
}

size_t CZipArchive::ReadStored(unsigned char* out, size_t n) {
  size_t take = n < m_uComprLeft ? n : m_uComprLeft;
  if (take == 0) {
    m_iReadCause = CZipException::shortEntry;
    return 0;
  }
  if (!m_storage.Read(out, take)) {
    m_iReadCause = CZipException::shortEntry;
    return 0;
  }
  m_uComprLeft -= (uint32_t)take;
  return take;
}

// Inflates into out until it is full, the stream ends or the input runs out. A
// damaged stream yields 0, so the caller stops with bytes still unread.
size_t CZipArchive::ReadDeflated(unsigned char* out, size_t n) {
  m_stream.next_out = out;
  m_stream.avail_out = (uInt)n;
  while (m_stream.avail_out > 0 && !m_bStreamEnded) {
    if (m_stream.avail_in == 0 && m_uComprLeft > 0 && !RefillInput()) {
      m_iReadCause = CZipException::shortEntry;
      break;
    }
    const uInt inBefore = m_stream.avail_in;
    const uInt outBefore = m_stream.avail_out;
    int status = inflate(&m_stream, Z_SYNC_FLUSH);
    if (status == Z_STREAM_END) {
      m_bStreamEnded = true;
      break;
    }
    if (status != Z_OK && status != Z_BUF_ERROR) {
      m_iReadCause = CZipException::dataError;
      return 0;
    }
    if (m_stream.avail_in == inBefore && m_stream.avail_out == outBefore) {
      // No progress: either the compressed data is used up before the stream's end,
      // or zlib wants input it already has, which only a damaged stream causes.
      m_iReadCause = m_uComprLeft == 0 && m_stream.avail_in == 0 ? CZipException::shortEntry
                                                                  : CZipException::dataError;
      break;
    }
  }
  return n - m_stream.avail_out;
}

bool CZipArchive::RefillInput() {
  uint32_t take = m_uComprLeft < kInputBufferSize ? m_uComprLeft : (uint32_t)kInputBufferSize;
  if (!m_storage.Read(m_inputBuffer.GetBuffer(), take)) return false;
  m_uComprLeft -= take;
  m_stream.next_in = m_inputBuffer.GetBytes();
  m_stream.avail_in = take;
  return true;
}

int CZipArchive::CloseFile(const char* path, bool afterException) {
  (void)afterException;
  try {
    return FinishEntry(path);
  } catch (...) {
    ResetEntry();
    FailNoMemory();
    return closeUnread;
  }
}

int CZipArchive::FinishEntry(const char* path) {
  if (m_iState != entryReading) return closeNotOpen;
  const CZipFileHeader& header = *m_centralDir.GetHeader(m_iEntry);
  int result = closeOk;
  int cause = CZipException::noError;
  if (m_uUncomprLeft > 0) {
    result = closeUnread;
    cause = m_iReadCause != CZipException::noError ? m_iReadCause : CZipException::shortEntry;
  } else if (m_uCrc != header.m_uCrc32) {
    result = closeBadCrc;
    cause = CZipException::badCrc;
  }
  if (result == closeOk && path) {
    time_t modified = header.GetTime();
    if (modified == (time_t)-1 || !ZipPlatform::SetFileTimes(path, modified) ||
        !ZipPlatform::SetFileAttrs(path, header.GetSystemAttr(), false)) {
      result = closeInfoFailed;
      cause = CZipException::cannotSetInfo;
    }
  }
  std::string name = header.GetFileName();
  ResetEntry();
  if (result != closeOk) Fail(cause, name);
  return result;
}

void CZipArchive::ResetEntry() {
  if (m_bStreamReady) inflateEnd(&m_stream);
  m_bStreamReady = false;
  m_bStreamEnded = false;
  m_iState = entryClosed;
  m_iEntry = -1;
  m_uComprLeft = 0;
  m_uUncomprLeft = 0;
  m_uCrc = 0;
  m_iReadCause = CZipException::noError;
}
