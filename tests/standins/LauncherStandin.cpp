// Stand-in for the launcher "KQAutoPatch.exe" that the update finisher starts again:
// appends its command line, as it received it, as one line to "KQAutoPatch.started"
// in the current folder. Given "--stay N" it stays alive for N milliseconds first,
// holding its executable like a launcher that has not yet ended.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main() {
  const char* commandLine = GetCommandLineA();
  const char* stay = std::strstr(commandLine, "--stay ");
  if (stay) Sleep(static_cast<DWORD>(std::strtoul(stay + 7, nullptr, 10)));
  FILE* file = std::fopen("KQAutoPatch.started", "ab");
  if (!file) return 1;
  std::fprintf(file, "%s\n", commandLine);
  std::fclose(file);
  return 0;
}
