// A lock that serialises one short section of work between threads: a critical
// section on Windows, a mutex elsewhere. Hold it with cLock::cHold.
#pragma once

#include "common/WinTypes.h"

#ifndef _WIN32
#include <mutex>
#endif

class cLock {
public:
  cLock();
  ~cLock();
  cLock(const cLock&) = delete;
  cLock& operator=(const cLock&) = delete;

  void Enter();
  void Leave();

  // Holds the lock for the lifetime of the object.
  class cHold {
  public:
    explicit cHold(cLock& lock) : m_lock(lock) { m_lock.Enter(); }
    ~cHold() { m_lock.Leave(); }
    cHold(const cHold&) = delete;
    cHold& operator=(const cHold&) = delete;

  private:
    cLock& m_lock;
  };

private:
#ifdef _WIN32
  CRITICAL_SECTION m_section;
#else
  std::mutex m_mutex;
#endif
};
