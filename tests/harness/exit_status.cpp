// Exits with the status given as its first argument, after saying where it runs.
#include <windows.h>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  OSVERSIONINFOA info = {};
  info.dwOSVersionInfoSize = sizeof(info);
  if (GetVersionExA(&info)) std::printf("running on Windows %lu.%lu\n", info.dwMajorVersion, info.dwMinorVersion);
  return argc > 1 ? std::atoi(argv[1]) : 0;
}
