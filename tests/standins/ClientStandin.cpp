// Stand-in for the game client "KQClient-Connect.exe": appends one line to
// "KQClient-Connect.log" in its current folder, the command line exactly as it
// received it (GetCommandLineA), a tab, the current folder, CRLF, and exits with 0.
// Tests read the log to see how the launcher started the game.
#include <windows.h>

#include <cstdio>

int main() {
  char folder[MAX_PATH] = {};
  DWORD length = GetCurrentDirectoryA(sizeof(folder), folder);
  if (length == 0 || length >= sizeof(folder)) return 1;
  FILE* log = std::fopen("KQClient-Connect.log", "ab");
  if (!log) return 1;
  std::fprintf(log, "%s\t%s\r\n", GetCommandLineA(), folder);
  return std::fclose(log) == 0 ? 0 : 1;
}
