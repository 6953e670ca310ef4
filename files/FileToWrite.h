// A write stream over a disk file, using the run-time library's buffered file calls.
#pragma once

#include <cstdio>

class cFileToWrite {
public:
  cFileToWrite();
  virtual ~cFileToWrite();
  cFileToWrite(const cFileToWrite&) = delete;
  cFileToWrite& operator=(const cFileToWrite&) = delete;

  // Opens path with a run-time library mode ("wb" from the file system). An open
  // stream is closed first.
  virtual bool Open(const char* path, const char* mode);
  // Returns the run-time library's close result, or 0 when nothing was open.
  virtual int Close();
  // Returns the number of bytes written, 0 on a closed stream.
  virtual int Write(const void* data, int count);
  // Returns 0 on success, EOF on failure or a closed stream.
  virtual int Flush();

private:
  FILE* m_file;
};
