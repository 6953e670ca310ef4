/* What 32-bit Wine under qemu's user-mode emulation does not carry, with none of our
   code: an exception on a thread that has started another thread.

     exception_after_thread [elsewhere]

   The main thread starts a thread that ends at once and waits for it. Then it calls
   OutputDebugStringA, which Wine implements by raising an exception and catching it
   itself (GoogleTest does the same for every failure and skip it reports). A
   vectored handler sees the exception go by. With "elsewhere" the main thread leaves
   the call to a second thread it starts, which starts none. Exits 0 when the call
   came back.

   Seen here: the 64-bit build passes both ways. The 32-bit build does with
   "elsewhere", but without it the call ends the process: "wine client error: write:
   Bad file descriptor" (several times), or "qemu: uncaught target signal 11". Wine
   leaves an exit status of 0 either way, so the last line is the verdict. It is the
   socket limit's shape (socket_after_thread.c): a thread that has started a thread
   loses the state Wine needs when the emulation hands control back to it.
   identity_after_thread.c shows why. */
#include <windows.h>
#include <stdio.h>
#include <string.h>

static volatile LONG seen;

static LONG CALLBACK count_exception(EXCEPTION_POINTERS* info) {
  (void)info;
  InterlockedIncrement(&seen);
  return EXCEPTION_CONTINUE_SEARCH;
}

static DWORD WINAPI nothing(void* unused) {
  (void)unused;
  return 0;
}

static DWORD WINAPI speak(void* unused) {
  (void)unused;
  OutputDebugStringA("exception_after_thread\n");
  return 1;
}

int main(int argc, char** argv) {
  DWORD came_back = 0;
  HANDLE thread = CreateThread(NULL, 0, nothing, NULL, 0, NULL);
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  AddVectoredExceptionHandler(1, count_exception);
  if (argc > 1 && strcmp(argv[1], "elsewhere") == 0) {
    HANDLE elsewhere = CreateThread(NULL, 0, speak, NULL, 0, NULL);
    if (WaitForSingleObject(elsewhere, 20000) == WAIT_OBJECT_0) GetExitCodeThread(elsewhere, &came_back);
  } else {
    came_back = speak(NULL);
  }
  printf("debug output %s, %ld exception(s) seen\n", came_back ? "came back" : "did not come back", (long)seen);
  fflush(stdout);
  ExitProcess(came_back ? 0 : 1);
}
