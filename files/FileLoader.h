// The stack object through which callers read a file: it asks the process-wide
// cFileSystem for a stream, forwards reads to it, and closes and deletes the stream
// when it goes out of scope. Without a stream every read returns a fixed fallback.
#pragma once

#include "files/FileToRead.h"

#include <memory>

class cFileLoader {
public:
  cFileLoader();
  virtual ~cFileLoader();
  cFileLoader(const cFileLoader&) = delete;
  cFileLoader& operator=(const cFileLoader&) = delete;

  // Opens path, loaded into memory when inMemory is true. With a stream already
  // attached, re-opens that stream on path instead; a memory stream refuses this
  // and stays as it was. False when no stream is attached afterwards or the
  // re-open failed, and when no file system exists.
  virtual bool Open(const char* path, bool inMemory);
  // As Open, but false at once when a stream is already attached.
  virtual bool OpenNew(const char* path, bool inMemory);
  // The loaded bytes of a memory stream (followed by a 0 byte), else null.
  virtual const char* GetBuffer();

  // Closes and deletes the stream; returns its close result, or 0 without a stream.
  int Close();

  int Read(void* buffer, int count);         // 0 without a stream
  int ReadLine(char* buffer, int length);    // 0 without a stream
  int Seek(int offset, int origin);          // -1 without a stream
  int Tell();                                // 0 without a stream
  int GetSize();                             // 0 without a stream
  bool IsEOF();                              // true without a stream
  bool IsEmpty();                            // true without a stream or when size is 0

private:
  bool m_inMemory;
  std::unique_ptr<cFileToRead> m_stream;
};
