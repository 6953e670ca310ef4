#include "net/InternetHandle.h"

#include <utility>

InternetHandle::~InternetHandle() { Reset(); }

InternetHandle::InternetHandle(InternetHandle&& other) noexcept
    : m_handle(std::exchange(other.m_handle, nullptr)) {}

InternetHandle& InternetHandle::operator=(InternetHandle&& other) noexcept {
  if (this != &other) Reset(std::exchange(other.m_handle, nullptr));
  return *this;
}

void InternetHandle::Reset(HINTERNET handle) {
  if (m_handle) InternetCloseHandle(m_handle);
  m_handle = handle;
}
