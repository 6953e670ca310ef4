// The local version file "KQVerInfo.ver": reading the version string and replacing
// the file with the record that a patch delivered.
#pragma once

// Reads exactly count bytes of name (opened without sharing) and copies them, up to
// the first zero byte, into out (count + 1 characters). Returns 1, or 0 when the file
// cannot be opened or is shorter than count.
int ReadVersionFile(const char* name, int count, char* out);

#include <windows.h>

// Renames from over to, replacing it; non-zero on success.
typedef BOOL(WINAPI* VersionFileMover)(const char* from, const char* to);
// The mover of the launcher: MoveFileExA with MOVEFILE_REPLACE_EXISTING.
BOOL WINAPI MoveVersionFile(const char* from, const char* to);

// Moves the delivered record (recordName) over "KQVerInfo.ver" in one step, after
// clearing a read-only attribute of the old file. False when the record is absent,
// its version string is unsafe (IsSafeVersionString) or the move fails; the old
// version file is then kept. Tests pass their own mover to see the folder as it is
// at the move.
bool ReplaceVersionFile(const char* recordName, VersionFileMover mover = MoveVersionFile);
