// An owned byte buffer. Allocate and Assign report a lack of memory as false; only
// the copy operations throw std::bad_alloc, like any other C++ copy.
#pragma once

#include <cstddef>
#include <memory>

class CZipAutoBuffer {
 public:
  CZipAutoBuffer() = default;
  CZipAutoBuffer(const CZipAutoBuffer& other);
  CZipAutoBuffer& operator=(const CZipAutoBuffer& other);
  CZipAutoBuffer(CZipAutoBuffer&& other) noexcept;
  CZipAutoBuffer& operator=(CZipAutoBuffer&& other) noexcept;
  ~CZipAutoBuffer() = default;

  // Replaces the content with size zeroed bytes; false (and empty) when memory runs out.
  bool Allocate(size_t size);
  // Copies size bytes from data; false (and empty) when memory runs out.
  bool Assign(const void* data, size_t size);
  void Release();

  char* GetBuffer() const { return m_pBuffer.get(); }
  unsigned char* GetBytes() const { return reinterpret_cast<unsigned char*>(m_pBuffer.get()); }
  size_t GetSize() const { return m_iSize; }
  bool IsAllocated() const { return m_pBuffer != nullptr; }

 private:
  std::unique_ptr<char[]> m_pBuffer;
  size_t m_iSize = 0;
};
