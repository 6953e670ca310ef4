// Owner of one kernel handle (file, process, snapshot); closes it when destroyed.
// Both null and INVALID_HANDLE_VALUE mean "no handle", since the system's calls
// use either for failure.
#pragma once

#include <windows.h>

class WinHandle {
public:
  WinHandle() = default;
  explicit WinHandle(HANDLE handle) : m_handle(Normalise(handle)) {}
  ~WinHandle();
  WinHandle(WinHandle&& other) noexcept;
  WinHandle& operator=(WinHandle&& other) noexcept;
  WinHandle(const WinHandle&) = delete;
  WinHandle& operator=(const WinHandle&) = delete;

  HANDLE Get() const { return m_handle; }
  explicit operator bool() const { return m_handle != nullptr; }
  // Closes the handle held, if any, and takes handle.
  void Reset(HANDLE handle = nullptr);

private:
  static HANDLE Normalise(HANDLE handle) { return handle == INVALID_HANDLE_VALUE ? nullptr : handle; }

  HANDLE m_handle = nullptr;
};
