/* What 32-bit Wine under qemu's user-mode emulation does not carry, with none of our
   code: a thread created suspended and resumed after another thread has started.

     suspended_start [in-order]

   The main thread creates a thread suspended (as GoogleTest does with the watcher
   thread it starts for every thread that uses its thread-local state, the main
   thread included), then starts a second thread and waits until that one runs, and
   only then resumes the first. The first thread notes the id and thread block it
   finds itself on. With "in-order" the first thread is resumed and has run before
   the second is started. Exits 0 when the first thread ran as itself.

   Seen here: the 64-bit build passes both ways, the 32-bit one "in-order". Otherwise
   the resumed thread runs on the second thread's block: GetCurrentThreadId gives the
   second thread's id. In the window tests this happens when a test's first
   SCOPED_TRACE starts GoogleTest's watcher for the main thread and the test then
   starts its driver thread at once: the watcher, running as the driver, fails its
   wait ("[ FATAL ] gtest-port.cc:618"), and the program ends or hangs. The same fault
   as identity_after_thread.c: the thread's block is found again through an entry
   that the newest thread has overwritten. */
/* NtCurrentTeb's inline read of the segment register looks like an array read to GCC. */
#pragma GCC diagnostic ignored "-Warray-bounds"
#include <windows.h>
#include <stdio.h>
#include <string.h>

static HANDLE release;
static volatile LONG second_runs;
static volatile LONG first_ran;
static DWORD first_id;
static DWORD first_seen_id;
static void* first_seen_block;

static DWORD WINAPI first(void* unused) {
  (void)unused;
  first_seen_id = GetCurrentThreadId();
  first_seen_block = NtCurrentTeb();
  InterlockedExchange(&first_ran, 1);
  return 0;
}

static DWORD WINAPI second(void* unused) {
  (void)unused;
  InterlockedExchange(&second_runs, 1);
  WaitForSingleObject(release, 30000);
  return 0;
}

static void wait_for(volatile LONG* flag) {
  DWORD start = GetTickCount();
  while (!*flag && GetTickCount() - start < 20000) Sleep(10);
}

int main(int argc, char** argv) {
  int in_order = argc > 1 && strcmp(argv[1], "in-order") == 0;
  DWORD second_id = 0;
  int itself;
  HANDLE first_thread = CreateThread(NULL, 0, first, NULL, CREATE_SUSPENDED, &first_id);
  release = CreateEventA(NULL, TRUE, FALSE, NULL);
  if (in_order) {
    ResumeThread(first_thread);
    wait_for(&first_ran);
  }
  CloseHandle(CreateThread(NULL, 0, second, NULL, 0, &second_id));
  wait_for(&second_runs);
  if (!in_order) {
    ResumeThread(first_thread);
    wait_for(&first_ran);
  }
  itself = first_ran && first_seen_id == first_id;
  printf("first thread %lu, second %lu; the first ran as thread %lu (block %p)\n%s\n", (unsigned long)first_id,
         (unsigned long)second_id, (unsigned long)first_seen_id, first_seen_block,
         !first_ran ? "the first thread did not run" : itself ? "ran as itself" : "ran as another thread");
  fflush(stdout);
  SetEvent(release);
  ExitProcess(itself ? 0 : 1);
}
