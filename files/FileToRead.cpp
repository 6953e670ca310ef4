#include "files/FileToRead.h"

#include <climits>

#ifndef _WIN32
#include <sys/stat.h>
#endif

cFileToRead::cFileToRead() : m_size(0), m_file(nullptr) {}

cFileToRead::~cFileToRead() { cFileToRead::Close(); }

bool cFileToRead::Open(const char* path) {
  Close();
  m_file = OpenForReading(path);
  if (m_file == nullptr) {
    return false;
  }
  if (fseek(m_file, 0, SEEK_END) != 0) {
    return false;
  }
  long end = ftell(m_file);
  if (end <= 0 || end > INT_MAX) {
    return false;
  }
  m_size = (int)end;
  return fseek(m_file, 0, SEEK_SET) == 0;
}

FILE* cFileToRead::OpenForReading(const char* path) {
  if (path == nullptr) {
    return nullptr;
  }
  FILE* file = fopen(path, "rb");
#ifndef _WIN32
  struct stat info;
  if (file != nullptr && (fstat(fileno(file), &info) != 0 || S_ISDIR(info.st_mode))) {
    fclose(file);
    file = nullptr;
  }
#endif
  return file;
}

int cFileToRead::Close() {
  m_size = 0;
  if (m_file == nullptr) {
    return 0;
  }
  int result = fclose(m_file);
  m_file = nullptr;
  return result;
}

int cFileToRead::Read(void* buffer, int count) {
  if (m_file == nullptr || buffer == nullptr || count <= 0) {
    return 0;
  }
  return (int)fread(buffer, 1, (size_t)count, m_file);
}

int cFileToRead::ReadLine(char* buffer, int length) {
  if (buffer == nullptr || length < 1) {
    return 0;
  }
  int stored = 0;
  if (m_file != nullptr) {
    while (stored < length - 1) {
      int c = fgetc(m_file);
      if (c == EOF || c == '\n') {
        break;
      }
      buffer[stored++] = (char)c;
    }
  }
  buffer[stored] = '\0';
  return stored;
}

int cFileToRead::Seek(int offset, int origin) {
  if (m_file == nullptr) {
    return -1;
  }
  return fseek(m_file, offset, origin) == 0 ? 0 : -1;
}

int cFileToRead::Tell() {
  if (m_file == nullptr) {
    return 0;
  }
  long position = ftell(m_file);
  return (position < 0 || position > INT_MAX) ? 0 : (int)position;
}

int cFileToRead::GetSize() { return m_size; }

int cFileToRead::IsEOF() {
  if (m_file == nullptr) {
    return 1;
  }
  return feof(m_file) != 0 ? 1 : 0;
}
