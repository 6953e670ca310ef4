#include "ZipFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

#ifdef _WIN32
#include <io.h>
#include <share.h>
#else
#include <unistd.h>
#endif

namespace {

// One low-level call moves at most this much, so the count fits the CRT's int.
const size_t kMaxTransfer = 1u << 30;

#ifdef _WIN32
int OpenDescriptor(const char* path, CZipFile::OpenMode mode) {
  int flags = _O_BINARY | _O_NOINHERIT;
  int share = _SH_DENYWR;
  switch (mode) {
    case CZipFile::modeRead: flags |= _O_RDONLY; break;
    case CZipFile::modeReadWrite: flags |= _O_RDWR; share = _SH_DENYRW; break;
    case CZipFile::modeCreateNew: flags |= _O_WRONLY | _O_CREAT | _O_EXCL; break;
    case CZipFile::modeCreate: flags |= _O_RDWR | _O_CREAT | _O_TRUNC; break;
  }
  return _sopen(path, flags, share, _S_IREAD | _S_IWRITE);
}
int ReadDescriptor(int fd, void* buffer, size_t n) { return _read(fd, buffer, (unsigned)n); }
int WriteDescriptor(int fd, const void* buffer, size_t n) { return _write(fd, buffer, (unsigned)n); }
int64_t SeekDescriptor(int fd, int64_t position, int whence) { return _lseeki64(fd, position, whence); }
int CloseDescriptor(int fd) { return _close(fd); }
int TruncateDescriptor(int fd, int64_t length) { return _chsize_s(fd, length) == 0 ? 0 : -1; }
#else
int OpenDescriptor(const char* path, CZipFile::OpenMode mode) {
  int flags = O_CLOEXEC;
  switch (mode) {
    case CZipFile::modeRead: flags |= O_RDONLY; break;
    case CZipFile::modeReadWrite: flags |= O_RDWR; break;
    case CZipFile::modeCreateNew: flags |= O_WRONLY | O_CREAT | O_EXCL; break;
    case CZipFile::modeCreate: flags |= O_RDWR | O_CREAT | O_TRUNC; break;
  }
  int fd;
  do {
    fd = open(path, flags, 0666);
  } while (fd < 0 && errno == EINTR);
  return fd;
}
int ReadDescriptor(int fd, void* buffer, size_t n) {
  ssize_t got;
  do {
    got = read(fd, buffer, n);
  } while (got < 0 && errno == EINTR);
  return (int)got;
}
int WriteDescriptor(int fd, const void* buffer, size_t n) {
  ssize_t put;
  do {
    put = write(fd, buffer, n);
  } while (put < 0 && errno == EINTR);
  return (int)put;
}
int64_t SeekDescriptor(int fd, int64_t position, int whence) { return lseek(fd, (off_t)position, whence); }
int CloseDescriptor(int fd) { return close(fd); }
int TruncateDescriptor(int fd, int64_t length) { return ftruncate(fd, (off_t)length); }
#endif

}  // namespace

CZipFile::~CZipFile() { Close(); }

bool CZipFile::Open(const char* path, OpenMode mode) {
  Close();
  m_iErrno = 0;
  m_hFile = OpenDescriptor(path, mode);
  if (m_hFile < 0) {
    m_iErrno = errno;
    return false;
  }
  m_szPath = path;
  return true;
}

bool CZipFile::Close() {
  if (m_hFile < 0) return true;
  bool ok = CloseDescriptor(m_hFile) == 0;
  m_hFile = -1;
  m_szPath.clear();
  return ok;
}

int64_t CZipFile::Read(void* buffer, size_t n) {
  if (m_hFile < 0) return -1;
  if (n > kMaxTransfer) n = kMaxTransfer;
  int got = ReadDescriptor(m_hFile, buffer, n);
  if (got < 0) m_iErrno = errno;
  return got;
}

bool CZipFile::ReadExact(void* buffer, size_t n) {
  char* p = static_cast<char*>(buffer);
  while (n > 0) {
    int64_t got = Read(p, n);
    if (got <= 0) return false;
    p += got;
    n -= (size_t)got;
  }
  return true;
}

bool CZipFile::Write(const void* buffer, size_t n) {
  if (m_hFile < 0) return false;
  const char* p = static_cast<const char*>(buffer);
  while (n > 0) {
    int put = WriteDescriptor(m_hFile, p, n > kMaxTransfer ? kMaxTransfer : n);
    if (put <= 0) {
      m_iErrno = errno;
      return false;
    }
    p += put;
    n -= (size_t)put;
  }
  return true;
}

bool CZipFile::Seek(int64_t position) {
  if (m_hFile < 0 || position < 0) return false;
  return SeekDescriptor(m_hFile, position, SEEK_SET) == position;
}

int64_t CZipFile::GetPosition() const {
  if (m_hFile < 0) return -1;
  return SeekDescriptor(m_hFile, 0, SEEK_CUR);
}

int64_t CZipFile::GetLength() const {
  if (m_hFile < 0) return -1;
  int64_t here = SeekDescriptor(m_hFile, 0, SEEK_CUR);
  if (here < 0) return -1;
  int64_t end = SeekDescriptor(m_hFile, 0, SEEK_END);
  if (SeekDescriptor(m_hFile, here, SEEK_SET) != here) return -1;
  return end;
}

bool CZipFile::SetLength(int64_t length) {
  if (m_hFile < 0 || length < 0) return false;
  return TruncateDescriptor(m_hFile, length) == 0;
}
