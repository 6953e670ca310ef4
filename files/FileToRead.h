// A read stream over a disk file, using the run-time library's buffered file calls.
// Streams are made by cFileSystem and used through cFileLoader.
#pragma once

#include <cstdio>

class cFileToRead {
public:
  cFileToRead();
  virtual ~cFileToRead();
  cFileToRead(const cFileToRead&) = delete;
  cFileToRead& operator=(const cFileToRead&) = delete;

  // Opens path for binary reading and measures its size. Fails when the file cannot
  // be opened, is empty, or is too large for a 32-bit size. An open stream is closed
  // first, so a stream can be re-opened on another file.
  virtual bool Open(const char* path);
  // Returns the run-time library's close result, or 0 when nothing was open.
  virtual int Close();
  // Returns the number of bytes read, 0 on a closed stream.
  virtual int Read(void* buffer, int count);
  // Reads up to length - 1 characters or through the next line feed, which is
  // consumed and not stored. Always terminates the buffer when length >= 1;
  // writes nothing and returns 0 when length < 1. Returns the characters stored.
  virtual int ReadLine(char* buffer, int length);
  // origin: 0 start, 1 current, 2 end. Returns 0 on success, -1 on failure.
  virtual int Seek(int offset, int origin);
  // Returns the position, or 0 on error or a closed stream.
  virtual int Tell();
  // Returns the size measured at open time, 0 when closed.
  virtual int GetSize();
  // Returns 1 at the end of the file (or on a closed stream), else 0.
  virtual int IsEOF();

protected:
  // fopen(path, "rb"), refusing folders (which POSIX would open but not read).
  static FILE* OpenForReading(const char* path);

  int m_size;
  FILE* m_file;
};
