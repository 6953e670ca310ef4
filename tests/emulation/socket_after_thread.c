/* What 32-bit Wine under qemu's user-mode emulation does not carry, with none of our
   code: socket I/O on a thread that has started another thread.

     socket_after_thread [elsewhere | during]

   The main thread starts a thread that ends at once and waits for it. Then it opens
   a loopback connection to itself and passes 4 MiB through it in 64 KiB pieces.
   Without an argument it does so five times, each after another thread start.
   With "elsewhere" the main thread leaves the sockets to a second thread it starts
   and does no socket work of its own. With "during" the main thread does the same,
   but while the second thread passes its bytes, the main thread keeps starting
   threads that end at once. Exits 0 when every byte arrived.

   Seen here: the 64-bit build passes both ways. The 32-bit build does with
   "elsewhere", but without it the main thread's first socket call after the thread
   start ends the process: "wine client error: write: Bad file descriptor", or
   "qemu: uncaught target signal 11". It does not matter whether the started thread
   still runs or has ended, or whether it touches sockets at all. With "during" the
   second thread's transfer breaks the same way or stops: a thread start elsewhere
   in the process breaks a transfer that is going on.
   identity_after_thread.c shows why. */
#include <winsock2.h>
#include <windows.h>
#include <stdio.h>
#include <string.h>

#define TOTAL (4 * 1024 * 1024)
#define PIECE 65536

static DWORD WINAPI nothing(void* unused) {
  (void)unused;
  return 0;
}

/* Passes TOTAL bytes from one end of a loopback connection to the other; returns the
   count that arrived. */
static DWORD WINAPI pass_bytes(void* unused) {
  static char piece[PIECE];
  struct sockaddr_in address = {0};
  int length = sizeof address;
  long received = 0;
  SOCKET listener = socket(AF_INET, SOCK_STREAM, 0), client, server;
  (void)unused;
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (bind(listener, (struct sockaddr*)&address, sizeof address) != 0 || listen(listener, 1) != 0 ||
      getsockname(listener, (struct sockaddr*)&address, &length) != 0)
    return 0;
  client = socket(AF_INET, SOCK_STREAM, 0);
  if (connect(client, (struct sockaddr*)&address, sizeof address) != 0) return 0;
  server = accept(listener, NULL, NULL);
  memset(piece, 'k', sizeof piece);
  while (received < TOTAL) {
    int got = 0, n;
    if (send(server, piece, PIECE, 0) != PIECE) break;
    while (got < PIECE && (n = recv(client, piece, PIECE - got, 0)) > 0) got += n;
    if (got < PIECE) break;
    received += got;
  }
  closesocket(server);
  closesocket(client);
  closesocket(listener);
  return (DWORD)received;
}

int main(int argc, char** argv) {
  WSADATA wsa;
  DWORD received = 0;
  HANDLE thread;
  if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0) return 2;
  thread = CreateThread(NULL, 0, nothing, NULL, 0, NULL);
  WaitForSingleObject(thread, INFINITE);
  if (argc > 1 && (strcmp(argv[1], "elsewhere") == 0 || strcmp(argv[1], "during") == 0)) {
    HANDLE elsewhere = CreateThread(NULL, 0, pass_bytes, NULL, 0, NULL);
    const DWORD start = GetTickCount();
    while (strcmp(argv[1], "during") == 0 && WaitForSingleObject(elsewhere, 0) == WAIT_TIMEOUT &&
           GetTickCount() - start < 20000) {
      HANDLE other = CreateThread(NULL, 0, nothing, NULL, 0, NULL);
      WaitForSingleObject(other, INFINITE);
      CloseHandle(other);
    }
    /* A broken transfer may also just stop: 4 MiB take well under a second here. */
    if (WaitForSingleObject(elsewhere, 20000) == WAIT_OBJECT_0) GetExitCodeThread(elsewhere, &received);
  } else {
    /* Five rounds, each after a thread start: under load the emulation has been seen
       to carry a single round now and then. */
    int round;
    for (round = 0; round < 5; ++round) {
      if (round > 0) {
        HANDLE other = CreateThread(NULL, 0, nothing, NULL, 0, NULL);
        WaitForSingleObject(other, INFINITE);
        CloseHandle(other);
      }
      received = pass_bytes(NULL);
      if (received != TOTAL) break;
    }
  }
  printf("received %lu of %d bytes\n", (unsigned long)received, TOTAL);
  fflush(stdout);
  ExitProcess(received == TOTAL ? 0 : 1);
}
