#include "files/MemFileToRead.h"

#include <climits>
#include <cstring>

cMemFileToRead::cMemFileToRead() : m_position(0) {}

cMemFileToRead::~cMemFileToRead() { cMemFileToRead::Close(); }

bool cMemFileToRead::Open(const char*) { return false; }

int cMemFileToRead::Close() {
  m_position = 0;
  m_bytes.clear();
  m_bytes.shrink_to_fit();
  return cFileToRead::Close();
}

bool cMemFileToRead::Load(const char* path, int) {
  Close();
  FILE* file = OpenForReading(path);
  if (file == nullptr) {
    return false;
  }
  bool loaded = ReadAll(file);
  fclose(file);
  if (!loaded) {
    Close();
  }
  return loaded;
}

// Measures the file and reads it whole into the byte array, plus a 0 byte.
bool cMemFileToRead::ReadAll(FILE* file) {
  if (fseek(file, 0, SEEK_END) != 0) {
    return false;
  }
  long end = ftell(file);
  if (end < 0 || end >= INT_MAX) {
    return false;
  }
  if (fseek(file, 0, SEEK_SET) != 0) {
    return false;
  }
  m_bytes.assign((size_t)end + 1, '\0');
  size_t got = fread(m_bytes.data(), 1, (size_t)end, file);
  if (got != (size_t)end) {
    return false;
  }
  m_size = (int)end;
  return true;
}

const char* cMemFileToRead::GetBuffer() const { return m_bytes.empty() ? nullptr : m_bytes.data(); }

int cMemFileToRead::Read(void* buffer, int count) {
  uint32_t size = (uint32_t)m_size;
  if (buffer == nullptr || count <= 0 || m_position >= size) {
    return 0;
  }
  uint32_t n = size - m_position;
  if ((uint32_t)count < n) {
    n = (uint32_t)count;
  }
  memcpy(buffer, m_bytes.data() + m_position, n);
  m_position += n;
  return (int)n;
}

int cMemFileToRead::ReadLine(char* buffer, int length) {
  if (buffer == nullptr || length < 1) {
    return 0;
  }
  uint32_t size = (uint32_t)m_size;
  int stored = 0;
  while (stored < length - 1 && m_position < size) {
    char c = m_bytes[m_position++];
    if (c == '\n') {
      break;
    }
    buffer[stored++] = c;
  }
  buffer[stored] = '\0';
  return stored;
}

int cMemFileToRead::Seek(int offset, int origin) {
  uint32_t target;
  if (origin == SEEK_SET) {
    target = (uint32_t)offset;
  } else if (origin == SEEK_CUR) {
    target = m_position + (uint32_t)offset;
  } else {
    return -1;
  }
  // Compared as unsigned, so a negative offset lands at the end too.
  uint32_t size = (uint32_t)m_size;
  if (target >= size) {
    target = size == 0 ? 0 : size - 1;
  }
  m_position = target;
  return 0;
}

int cMemFileToRead::Tell() { return (int)m_position; }

int cMemFileToRead::IsEOF() { return m_position >= (uint32_t)m_size ? 1 : 0; }
