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

// Moves source over target in one step, clearing a read-only target first, and
// retries while the target is in use, within SWAP_REPLACE_ATTEMPTS.
bool ReplaceTarget(const char* source, const char* target) {
  for (int attempt = 0; attempt < SWAP_REPLACE_ATTEMPTS; ++attempt) {
    if (GetFileAttributesA(target) != INVALID_FILE_ATTRIBUTES) SetFileAttributesA(target, FILE_ATTRIBUTE_NORMAL);
    if (MoveFileExA(source, target, MOVEFILE_REPLACE_EXISTING)) return true;
    Sleep(SWAP_RETRY_MS);
  }
  return false;
}

void ReportUnreplaced(const char* target) {
  char text[512];
  std::snprintf(text, sizeof(text), SWAP_FAILED_FORMAT, target);
  MessageBoxA(nullptr, text, SWAP_FAILED_CAPTION, MB_OK | MB_ICONERROR);
}

}  // namespace

const char SWAP_FAILED_CAPTION[] = "KQ Patcher";
const char SWAP_FAILED_FORMAT[] =
    "The update could not be finished: %s could not be replaced.\n"
    "Close the programs that use it, then start KQAutoPatch.exe again.";

bool SwapUpdatedFiles(const char* commandLine) {
  for (const FilePair& pair : kPairs) {
    if (!CanRead(pair.source)) continue;
    if (!ReplaceTarget(pair.source, pair.target)) {
      ReportUnreplaced(pair.target);
      return false;
    }
  }
  Sleep(SWAP_RETRY_MS);
  ui::StartProgram(kLauncher, commandLine);
  return true;
}
