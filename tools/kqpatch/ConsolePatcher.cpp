#include "tools/kqpatch/ConsolePatcher.h"

#include <cstdio>

void cConsolePatcher::ShowMessageBox(HWND, const char* text, const char* caption, UINT) {
  std::fprintf(stderr, "%s: %s\n", caption, text);
}
