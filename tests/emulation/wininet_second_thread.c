/* What 32-bit Wine under qemu's user-mode emulation does not carry, with none of our
   code: a WinINet GET on a thread of its own, then a large GET with 1 MiB reads on
   the main thread, each with its own session.

     wininet_second_thread HOST PORT SMALL_PATH LARGE_PATH [thread [READ_SIZE]]

   Without "thread" the large GET runs alone. Seen here: the 64-bit build receives
   every byte both ways; the 32-bit build does alone, but after the thread's GET it
   hangs with 1 MiB reads and dies with "qemu: uncaught target signal 11" with
   256 KiB reads. Prints what each GET received; exits 0 when the large GET got
   something. */
#include <windows.h>
#include <wininet.h>
#include <stdio.h>
#include <stdlib.h>
static const char* g_host; static int g_port; static const char* g_small; static const char* g_large;
static DWORD get(const char* path, DWORD bufsize) {
  HINTERNET s = InternetOpenA("t", INTERNET_OPEN_TYPE_DIRECT, NULL, NULL, 0);
  HINTERNET c = InternetConnectA(s, g_host, (INTERNET_PORT)g_port, NULL, NULL, INTERNET_SERVICE_HTTP, 0, 0);
  HINTERNET r = HttpOpenRequestA(c, "GET", path, "HTTP/1.0", NULL, NULL, INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0);
  if (!r || !HttpSendRequestA(r, NULL, 0, NULL, 0)) return 0;
  char* buf = malloc(bufsize); DWORD total = 0, got = 0;
  while (InternetReadFile(r, buf, bufsize, &got) && got) total += got;
  free(buf); InternetCloseHandle(r); InternetCloseHandle(c); InternetCloseHandle(s);
  return total;
}
static DWORD WINAPI small_fetch(void* p) { (void)p; printf("thread: %lu bytes\n", get(g_small, 1024)); fflush(stdout); return 0; }
int main(int argc, char** argv) {
  if (argc < 5) return 2;
  g_host = argv[1]; g_port = atoi(argv[2]); g_small = argv[3]; g_large = argv[4];
  HINTERNET keep = InternetOpenA("main", INTERNET_OPEN_TYPE_DIRECT, NULL, NULL, 0); (void)keep;
  if (argc > 5) { HANDLE t = CreateThread(NULL, 0, small_fetch, NULL, 0, NULL); WaitForSingleObject(t, INFINITE); CloseHandle(t); }
  DWORD n = get(g_large, argc > 6 ? (DWORD)atoi(argv[6]) : 1048576);
  printf("main: %lu bytes\n", n);
  fflush(stdout);
  return n > 0 ? 0 : 1;
}
