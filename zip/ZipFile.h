// A disk file opened through the run-time library's low-level calls (_sopen/_read/
// _write on Windows, open/read/write elsewhere). On Windows the share mode of each
// open mode is enforced by the system; elsewhere there is no equivalent and it is
// not emulated. Owns its descriptor: the destructor closes it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class CZipFile {
 public:
  enum OpenMode {
    modeRead,       // existing file, read only; others may read but not write
    modeReadWrite,  // existing file, read and write, never truncated; no other opener
    modeCreateNew,  // new file (fails when it exists), write only; others may not write
    modeCreate,     // created or truncated, read and write; others may not write
  };

  CZipFile() = default;
  ~CZipFile();
  CZipFile(const CZipFile&) = delete;
  CZipFile& operator=(const CZipFile&) = delete;

  // Opens path; false with GetErrno() set when the system refuses.
  bool Open(const char* path, OpenMode mode);
  // Closes the file; false when the final flush or close fails.
  bool Close();
  bool IsOpen() const { return m_hFile >= 0; }

  // Reads up to n bytes; returns the count read (0 at the end), or -1 on an error.
  int64_t Read(void* buffer, size_t n);
  // Reads exactly n bytes; false on an error or when the file ends first.
  bool ReadExact(void* buffer, size_t n);
  // Writes all n bytes; false on an error.
  bool Write(const void* buffer, size_t n);
  bool Seek(int64_t position);
  // The current position, or -1.
  int64_t GetPosition() const;
  // The file's length, or -1.
  int64_t GetLength() const;
  bool SetLength(int64_t length);

  const std::string& GetFilePath() const { return m_szPath; }
  int GetErrno() const { return m_iErrno; }

 private:
  int m_hFile = -1;
  int m_iErrno = 0;
  std::string m_szPath;
};
