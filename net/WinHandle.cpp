#include "net/WinHandle.h"

#include <utility>

WinHandle::~WinHandle() { Reset(); }

WinHandle::WinHandle(WinHandle&& other) noexcept : m_handle(std::exchange(other.m_handle, nullptr)) {}

WinHandle& WinHandle::operator=(WinHandle&& other) noexcept {
  if (this != &other) Reset(std::exchange(other.m_handle, nullptr));
  return *this;
}

void WinHandle::Reset(HANDLE handle) {
  if (m_handle) CloseHandle(m_handle);
  m_handle = Normalise(handle);
}
