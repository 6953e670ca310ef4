// Stand-in for the external patcher "KQAuthPatch.exe": it only stays alive for the
// number of milliseconds given as its first argument, so tests can check that the
// launcher waits for it.
#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv) {
  Sleep(argc > 1 ? static_cast<DWORD>(std::strtoul(argv[1], nullptr, 10)) : 0);
  return 0;
}
