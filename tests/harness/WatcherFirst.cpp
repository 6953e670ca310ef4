// GoogleTest starts a watcher thread, created suspended and then resumed, for each
// thread that first uses its per-thread state (SCOPED_TRACE, a failure). Under the
// 32-bit emulation a thread resumed after another thread has started runs on that
// thread's block (tests/emulation/suspended_start.c); a window test's first
// SCOPED_TRACE started the main thread's watcher and the test started its driver
// thread at once, and the program ended or hung. So the main thread's watcher starts
// here, before the first test, and the tests begin once every thread of the process
// runs (each thread that runs has passed the program's thread-attach callback).
// Linked only into such window programs (kq_watcher_first in cmake/KqTesting.cmake).
#include <windows.h>

#include <tlhelp32.h>

#include <gtest/gtest.h>

namespace {

volatile LONG g_threadsRunning = 0;

void NTAPI CountRunningThreads(PVOID, DWORD reason, PVOID) {
  if (reason == DLL_THREAD_ATTACH) InterlockedIncrement(&g_threadsRunning);
  if (reason == DLL_THREAD_DETACH) InterlockedDecrement(&g_threadsRunning);
}

// The threads of this process besides the calling one, or -1 when they cannot be listed.
LONG OtherThreads() {
  HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return -1;
  LONG count = 0;
  THREADENTRY32 entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = ::Thread32First(snapshot, &entry); more; more = ::Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID == ::GetCurrentProcessId() && entry.th32ThreadID != ::GetCurrentThreadId()) {
      ++count;
    }
  }
  ::CloseHandle(snapshot);
  return count;
}

class WatcherFirst : public ::testing::Environment {
public:
  void SetUp() override {
    { SCOPED_TRACE("starts the main thread's watcher"); }
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < 10000) {
      LONG others = OtherThreads();
      if (others < 0 || others <= g_threadsRunning) return;
      ::Sleep(5);
    }
  }
};

::testing::Environment* const g_watcherFirst = ::testing::AddGlobalTestEnvironment(new WatcherFirst);

}  // namespace

// The program's thread-attach callback: the loader calls it on every new thread
// before the thread's own function.
extern "C" {
extern const PIMAGE_TLS_CALLBACK kq_count_running_threads;
__attribute__((section(".CRT$XLB"), used)) const PIMAGE_TLS_CALLBACK kq_count_running_threads = CountRunningThreads;
}
