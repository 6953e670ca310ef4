#include "files/FileToWrite.h"

cFileToWrite::cFileToWrite() : m_file(nullptr) {}

cFileToWrite::~cFileToWrite() { cFileToWrite::Close(); }

bool cFileToWrite::Open(const char* path, const char* mode) {
  Close();
  if (path == nullptr || mode == nullptr) {
    return false;
  }
  m_file = fopen(path, mode);
  return m_file != nullptr;
}

int cFileToWrite::Close() {
  if (m_file == nullptr) {
    return 0;
  }
  int result = fclose(m_file);
  m_file = nullptr;
  return result;
}

int cFileToWrite::Write(const void* data, int count) {
  if (m_file == nullptr || data == nullptr || count <= 0) {
    return 0;
  }
  return (int)fwrite(data, 1, (size_t)count, m_file);
}

int cFileToWrite::Flush() {
  // fflush(NULL) would flush every stream of the process: never pass it on.
  if (m_file == nullptr) {
    return EOF;
  }
  return fflush(m_file);
}
