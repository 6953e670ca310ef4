#include "files/FileSystem.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {
cFileSystem* g_pFileSystem = nullptr;
}

cFileSystem::cFileSystem() { g_pFileSystem = this; }

cFileSystem::~cFileSystem() {
  if (g_pFileSystem == this) {
    g_pFileSystem = nullptr;
  }
}

cFileSystem* cFileSystem::Get() { return g_pFileSystem; }

std::unique_ptr<cFileToRead> cFileSystem::OpenRead(const char* path) {
  std::unique_ptr<cFileToRead> stream(new cFileToRead);
  cLock::cHold hold(m_readLock);
  if (!stream->Open(path)) {
    return nullptr;
  }
  return stream;
}

std::unique_ptr<cMemFileToRead> cFileSystem::OpenMemRead(const char* path) {
  std::unique_ptr<cMemFileToRead> stream(new cMemFileToRead);
  cLock::cHold hold(m_readLock);
  if (!stream->Load(path, 0)) {
    return nullptr;
  }
  return stream;
}

std::unique_ptr<cFileToWrite> cFileSystem::OpenWrite(const char* path) {
  std::unique_ptr<cFileToWrite> stream(new cFileToWrite);
  cLock::cHold hold(m_writeLock);
  if (!stream->Open(path, "wb")) {
    return nullptr;
  }
  return stream;
}

bool cFileSystem::Exists(const char* path) { return FileExists(path); }

bool cFileSystem::Reopen(cFileToRead& stream, const char* path) {
  cLock::cHold hold(m_readLock);
  return stream.Open(path);
}

bool FileExists(const char* path) {
  if (path == nullptr) {
    return false;
  }
#ifdef _WIN32
  return _access(path, 0) == 0;
#else
  return access(path, F_OK) == 0;
#endif
}
