#include "ZipAutoBuffer.h"

#include <cstring>
#include <new>
#include <utility>

CZipAutoBuffer::CZipAutoBuffer(const CZipAutoBuffer& other) {
  if (!Assign(other.m_pBuffer.get(), other.m_iSize)) throw std::bad_alloc();
}

CZipAutoBuffer& CZipAutoBuffer::operator=(const CZipAutoBuffer& other) {
  if (this != &other && !Assign(other.m_pBuffer.get(), other.m_iSize)) throw std::bad_alloc();
  return *this;
}

CZipAutoBuffer::CZipAutoBuffer(CZipAutoBuffer&& other) noexcept
    : m_pBuffer(std::move(other.m_pBuffer)), m_iSize(other.m_iSize) {
  other.m_iSize = 0;
}

CZipAutoBuffer& CZipAutoBuffer::operator=(CZipAutoBuffer&& other) noexcept {
  m_pBuffer = std::move(other.m_pBuffer);
  m_iSize = other.m_iSize;
  other.m_iSize = 0;
  return *this;
}

bool CZipAutoBuffer::Allocate(size_t size) {
  Release();
  if (size == 0) return true;
  m_pBuffer.reset(new (std::nothrow) char[size]);
  if (!m_pBuffer) return false;
  std::memset(m_pBuffer.get(), 0, size);
  m_iSize = size;
  return true;
}

bool CZipAutoBuffer::Assign(const void* data, size_t size) {
  if (!Allocate(size)) return false;
  if (size) std::memcpy(m_pBuffer.get(), data, size);
  return true;
}

void CZipAutoBuffer::Release() {
  m_pBuffer.reset();
  m_iSize = 0;
}
