#include "finisher/SwapUpdatedFiles.h"

#include "ui/ProgramStart.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

struct FilePair {
  const char* source;
  const char* target;
};

const FilePair kPairs[] = {
    {"KQAutoPatch.new", "KQAutoPatch.exe"},
    {"NorvGFunc.new", "NorvGFunc.dll"},
};

const char kLauncher[] = "KQAutoPatch.exe";

bool CanRead(const char* path) {
  FILE* file = std::fopen(path, "rb");
  if (!file) return false;
  std::fclose(file);
  return true;
}

bool Missing(const char* path) {
  if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) return false;
  DWORD error = GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// Deletes target, retrying while it is in use, within SWAP_DELETE_ATTEMPTS. True
// when the target is gone (or was never there).
bool RemoveTarget(const char* target) {
  for (int attempt = 0; attempt < SWAP_DELETE_ATTEMPTS; ++attempt) {
    if (DeleteFileA(target) || Missing(target)) return true;
    Sleep(SWAP_RETRY_MS);
  }
  return false;
}

}  // namespace

void SwapUpdatedFiles(const char* commandLine) {
  for (const FilePair& pair : kPairs) {
    if (!CanRead(pair.source)) continue;
    if (RemoveTarget(pair.target)) MoveFileA(pair.source, pair.target);
  }
  Sleep(SWAP_RETRY_MS);
  ui::StartProgram(kLauncher, commandLine);
}
