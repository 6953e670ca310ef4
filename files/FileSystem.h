// The process's single factory for streams. The application object constructs one
// at start-up; every cFileLoader reaches it through cFileSystem::Get(). Opening a
// stream runs under a lock (one for read streams, one for write streams); reading
// and writing an open stream do not, so a stream belongs to one thread.
#pragma once

#include "files/FileToRead.h"
#include "files/FileToWrite.h"
#include "files/Lock.h"
#include "files/MemFileToRead.h"

#include <memory>

class cFileSystem {
public:
  // Records this object as the process-wide file system.
  cFileSystem();
  // Clears the record when it still names this object.
  virtual ~cFileSystem();
  cFileSystem(const cFileSystem&) = delete;
  cFileSystem& operator=(const cFileSystem&) = delete;

  // A stream over path, or null when it cannot be opened or is empty.
  virtual std::unique_ptr<cFileToRead> OpenRead(const char* path);
  // path loaded whole into memory, or null when it cannot be read. An empty file
  // gives a stream of size 0.
  virtual std::unique_ptr<cMemFileToRead> OpenMemRead(const char* path);
  // path opened with mode "wb", or null.
  virtual std::unique_ptr<cFileToWrite> OpenWrite(const char* path);
  // True when path names an existing file or directory.
  virtual bool Exists(const char* path);

  // Re-opens an existing read stream on path under the read lock.
  bool Reopen(cFileToRead& stream, const char* path);

  // The process-wide file system, or null when none exists.
  static cFileSystem* Get();

private:
  cLock m_readLock;
  cLock m_writeLock;
};

// True when path names an existing file or directory (existence check only).
bool FileExists(const char* path);
