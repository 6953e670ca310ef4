#include "ZipStorage.h"

#include <cstring>

const size_t CZipStorage::kWindowSize;

bool CZipStorage::Open(const char* path, bool readOnly) {
  Close();
  if (!path || !m_file.Open(path, readOnly ? CZipFile::modeRead : CZipFile::modeReadWrite)) return false;
  m_iLength = m_file.GetLength();
  if (m_iLength < 0 || !m_window.Allocate(kWindowSize)) {
    Close();
    return false;
  }
  m_szPath = path;
  m_iPosition = 0;
  m_iFilePosition = -1;
  return true;
}

void CZipStorage::Close() {
  m_file.Close();
  m_szPath.clear();
  m_iLength = 0;
  m_iPosition = 0;
  m_iFilePosition = -1;
  m_window.Release();
  m_iWindowStart = 0;
  m_iWindowSize = 0;
}

bool CZipStorage::Contains(int64_t position, uint64_t n) const {
  return position >= 0 && position <= m_iLength && n <= (uint64_t)(m_iLength - position);
}

bool CZipStorage::Seek(int64_t position) {
  if (!Contains(position, 0)) return false;
  m_iPosition = position;
  return true;
}

bool CZipStorage::Read(void* buffer, size_t n) {
  if (!IsOpen() || !Contains(m_iPosition, n)) return false;
  if (n == 0) return true;
  unsigned char* out = static_cast<unsigned char*>(buffer);
  // First whatever the window already holds from the current position on.
  if (m_iPosition >= m_iWindowStart && m_iPosition < m_iWindowStart + (int64_t)m_iWindowSize) {
    size_t offset = (size_t)(m_iPosition - m_iWindowStart);
    size_t take = m_iWindowSize - offset < n ? m_iWindowSize - offset : n;
    std::memcpy(out, m_window.GetBytes() + offset, take);
    out += take;
    n -= take;
    m_iPosition += (int64_t)take;
  }
  if (n == 0) return true;
  if (n >= kWindowSize / 2) {
    if (!ReadFromFile(m_iPosition, out, n)) return false;
    m_iPosition += (int64_t)n;
    return true;
  }
  int64_t fill = m_iLength - m_iPosition;
  if (fill > (int64_t)kWindowSize) fill = (int64_t)kWindowSize;
  m_iWindowSize = 0;
  if (!ReadFromFile(m_iPosition, m_window.GetBuffer(), (size_t)fill)) return false;
  m_iWindowStart = m_iPosition;
  m_iWindowSize = (size_t)fill;
  std::memcpy(out, m_window.GetBytes(), n);
  m_iPosition += (int64_t)n;
  return true;
}

bool CZipStorage::ReadFromFile(int64_t position, void* buffer, size_t n) {
  if (m_iFilePosition != position && !m_file.Seek(position)) {
    m_iFilePosition = -1;
    return false;
  }
  if (!m_file.ReadExact(buffer, n)) {
    m_iFilePosition = -1;
    return false;
  }
  m_iFilePosition = position + (int64_t)n;
  return true;
}

bool CZipStorage::ReadAt(int64_t position, void* buffer, size_t n) {
  return Seek(position) && Read(buffer, n);
}

bool CZipStorage::Skip(uint64_t n) {
  if (!Contains(m_iPosition, n)) return false;
  m_iPosition += (int64_t)n;
  return true;
}
