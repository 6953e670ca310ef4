/* What 32-bit Wine under qemu's user-mode emulation does not carry, with none of our
   code: the thread block of a thread that has started another thread.

     identity_after_thread [alone]

   A checking thread notes its thread block (NtCurrentTeb) and id, starts a thread
   that waits, and then spins without calling anything while the main thread
   suspends and resumes it (Wine stops a thread with a signal, and the thread's
   registers are restored when the signal handler returns). Then it reads its thread
   block and id again. With "alone" the checking thread starts no thread, so it is
   the newest one when it is suspended. Exits 0 when the thread is still itself.

   Seen here: the 64-bit build passes both ways, the 32-bit one "alone". Otherwise
   the 32-bit process ends while the checking thread is suspended: "qemu: uncaught
   target signal 11". What fits all that was seen (not shown in qemu's code): Wine keeps a thread's block in a segment register whose base
   each thread sets through set_thread_area; the emulation keeps one descriptor table
   for all threads, so each new thread overwrites the entry, and a thread that reloads
   the register afterwards (Wine's signal handler does, and so does the way back from
   it) takes the newest thread's base, so the handler runs on the block of the
   thread it started, or of one that has ended. The other programs here
   show what follows: an exception on such a thread (exception_after_thread.c), socket
   work (socket_after_thread.c). A window test that ended or hung this way
   (skin_windows) showed, traced, a thread running on its driver thread's block. */
/* NtCurrentTeb's inline read of the segment register looks like an array read to GCC. */
#pragma GCC diagnostic ignored "-Warray-bounds"
#include <windows.h>
#include <stdio.h>
#include <string.h>

static HANDLE release;
static volatile LONG ready;
static volatile LONG resumed;
static void* block_before;
static void* block_after;
static DWORD id_before;
static DWORD id_after;
static DWORD started_id;

static DWORD WINAPI wait_for_release(void* unused) {
  (void)unused;
  WaitForSingleObject(release, 30000);
  return 0;
}

static DWORD WINAPI check(void* start_one) {
  block_before = NtCurrentTeb();
  id_before = GetCurrentThreadId();
  if (start_one) {
    HANDLE started = CreateThread(NULL, 0, wait_for_release, NULL, 0, &started_id);
    Sleep(500); /* the started thread is under way */
    CloseHandle(started);
  }
  InterlockedExchange(&ready, 1);
  while (!resumed) {
  }
  block_after = NtCurrentTeb();
  id_after = GetCurrentThreadId();
  return 0;
}

int main(int argc, char** argv) {
  int alone = argc > 1 && strcmp(argv[1], "alone") == 0;
  HANDLE checker;
  int itself;
  release = CreateEventA(NULL, TRUE, FALSE, NULL);
  checker = CreateThread(NULL, 0, check, alone ? NULL : &release, 0, NULL);
  while (!ready) Sleep(10);
  SuspendThread(checker);
  Sleep(200);
  ResumeThread(checker);
  InterlockedExchange(&resumed, 1);
  if (WaitForSingleObject(checker, 20000) != WAIT_OBJECT_0) {
    printf("the checking thread did not end\n");
    fflush(stdout);
    ExitProcess(1);
  }
  SetEvent(release);
  itself = block_after == block_before && id_after == id_before;
  printf("thread %lu (block %p) started %lu; after a suspension: thread %lu (block %p)\n%s\n",
         (unsigned long)id_before, block_before, (unsigned long)started_id, (unsigned long)id_after, block_after,
         itself ? "still itself" : "now another thread");
  fflush(stdout);
  ExitProcess(itself ? 0 : 1);
}
