// The open archive file: its path, its open mode, its length (taken once at opening)
// and checked reads at absolute positions. Every read is checked against the length,
// so sizes taken from a damaged file can never make it read past the end. Small reads
// (headers, names, small entries) are served from a 64 KiB read-ahead window, so a
// directory of many entries costs few system calls; large reads go straight into the
// caller's buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "ZipAutoBuffer.h"
#include "ZipFile.h"

class CZipStorage {
 public:
  static const size_t kWindowSize = 65536;

  CZipStorage() = default;
  CZipStorage(const CZipStorage&) = delete;
  CZipStorage& operator=(const CZipStorage&) = delete;

  // readOnly false: read and write, no other opener (the launcher's mode);
  // readOnly true: read only, others may read (the tools' mode).
  bool Open(const char* path, bool readOnly);
  void Close();
  bool IsOpen() const { return m_file.IsOpen(); }

  // True when [position, position + n) lies inside the file.
  bool Contains(int64_t position, uint64_t n) const;
  // Moves the read position; false outside the file.
  bool Seek(int64_t position);
  // Reads exactly n bytes at the current position; false when they are not there.
  bool Read(void* buffer, size_t n);
  // Reads exactly n bytes at position.
  bool ReadAt(int64_t position, void* buffer, size_t n);
  // Skips n bytes forward; false past the end.
  bool Skip(uint64_t n);

  int64_t GetLength() const { return m_iLength; }
  int64_t GetPosition() const { return m_iPosition; }
  const std::string& GetPath() const { return m_szPath; }

 private:
  bool ReadFromFile(int64_t position, void* buffer, size_t n);

  CZipFile m_file;
  std::string m_szPath;
  int64_t m_iLength = 0;
  int64_t m_iPosition = 0;      // where the next Read starts
  int64_t m_iFilePosition = -1; // where the system's file pointer stands; -1 unknown
  CZipAutoBuffer m_window;
  int64_t m_iWindowStart = 0;
  size_t m_iWindowSize = 0;     // valid bytes in the window
};
