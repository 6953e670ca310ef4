// The version file is replaced by one move that overwrites the target, not by a
// delete followed by a rename: if the move fails (the file is locked or read-only,
// the disk is full), the game folder keeps its old version file, the client still
// knows which version it has, and the next run can patch again.
#include "patch/VersionFile.h"

#include "net/WinHandle.h"
#include "patch/VersionRules.h"

#include <windows.h>

#include <cstring>
#include <vector>

int ReadVersionFile(const char* name, int count, char* out) {
  if (count < 0) return 0;
  WinHandle file(CreateFileA(name, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return 0;
  std::vector<char> bytes(static_cast<size_t>(count) + 1, '\0');
  DWORD read = 0;
  if (!ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(count), &read, nullptr)) return 0;
  if (read != static_cast<DWORD>(count)) return 0;
  std::strcpy(out, bytes.data());
  return 1;
}

bool ReplaceVersionFile(const char* recordName, VersionFileMover mover) {
  if (GetFileAttributesA(recordName) == INVALID_FILE_ATTRIBUTES) return false;
  // The delivered record becomes the next run's version string, which names files:
  // one that could name anything outside the game folder is refused.
  char version[VERSION_LENGTH + 1] = {};
  if (!ReadVersionFile(recordName, VERSION_LENGTH, version) || !IsSafeVersionString(version)) return false;
  // Windows refuses to replace a read-only file (Wine does not).
  if (GetFileAttributesA(VERSION_FILE_NAME) != INVALID_FILE_ATTRIBUTES) {
    SetFileAttributesA(VERSION_FILE_NAME, FILE_ATTRIBUTE_NORMAL);
  }
  return mover(recordName, VERSION_FILE_NAME) != 0;
}

BOOL WINAPI MoveVersionFile(const char* from, const char* to) {
  return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING);
}
