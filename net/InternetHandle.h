// Owner of one WinINet handle; closes it when destroyed or reset.
#pragma once

#include <windows.h>
#include <wininet.h>

class InternetHandle {
public:
  InternetHandle() = default;
  explicit InternetHandle(HINTERNET handle) : m_handle(handle) {}
  ~InternetHandle();
  InternetHandle(InternetHandle&& other) noexcept;
  InternetHandle& operator=(InternetHandle&& other) noexcept;
  InternetHandle(const InternetHandle&) = delete;
  InternetHandle& operator=(const InternetHandle&) = delete;

  HINTERNET Get() const { return m_handle; }
  explicit operator bool() const { return m_handle != nullptr; }
  // Closes the handle held, if any, and takes handle.
  void Reset(HINTERNET handle = nullptr);

private:
  HINTERNET m_handle = nullptr;
};
