#include "patch/LauncherMutex.h"

#include <windows.h>

namespace {

const size_t kNameSize = 512;

}  // namespace

bool MakeFolderMutexName(char* out, size_t size) {
  if (size == 0 || size > 0xFFFFFFFFu) return false;
  DWORD length = GetCurrentDirectoryA(static_cast<DWORD>(size), out);
  if (length == 0 || length >= size) return false;
  for (char* c = out; *c; ++c) {
    if (*c == '\\') *c = '>';
  }
  return true;
}

bool IsLauncherRunningHere() {
  char name[kNameSize] = {};
  if (!MakeFolderMutexName(name, sizeof(name))) return false;
  HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, name);
  if (!mutex) return false;
  CloseHandle(mutex);
  return true;
}
