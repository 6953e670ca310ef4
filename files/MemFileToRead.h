// A read stream that loads a whole file into memory and serves reads from there.
// The loaded bytes are followed by one 0 byte, so a text can be scanned in place as
// a NUL-terminated string; GetBuffer hands them out to the lexer without a copy.
#pragma once

#include "files/FileToRead.h"

#include <cstdint>
#include <vector>

class cMemFileToRead : public cFileToRead {
public:
  cMemFileToRead();
  ~cMemFileToRead() override;

  // A memory stream is filled only by Load. Opening a disk file without loading it
  // would leave the size and the bytes out of step, so Open refuses and leaves the
  // stream as it was.
  bool Open(const char* path) override;
  // Releases the bytes and resets the position.
  int Close() override;
  int Read(void* buffer, int count) override;
  int ReadLine(char* buffer, int length) override;
  // origin 0 or 1 only; returns -1 for any other origin. A position at or past the
  // end is clamped to the last byte (to 0 for an empty stream).
  int Seek(int offset, int origin) override;
  int Tell() override;
  int IsEOF() override;

  // Loads the whole file. An empty file succeeds with size 0. The second argument is
  // not used. Any earlier content is released first.
  virtual bool Load(const char* path, int reserved);

  // The first loaded byte (followed by a 0 byte), or null when nothing is loaded.
  const char* GetBuffer() const;

private:
  bool ReadAll(FILE* file);

  uint32_t m_position;
  std::vector<char> m_bytes;
};
