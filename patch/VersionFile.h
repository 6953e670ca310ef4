// The local version file "KQVerInfo.ver": reading the version string and replacing
// the file with the record that a patch delivered.
#pragma once

// Reads exactly count bytes of name (opened without sharing) and copies them, up to
// the first zero byte, into out (count + 1 characters). Returns 1, or 0 when the file
// cannot be opened or is shorter than count.
int ReadVersionFile(const char* name, int count, char* out);

// Moves the delivered record (recordName) over "KQVerInfo.ver" in one step. False
// when the record is absent or the move fails; the old version file is then kept.
bool ReplaceVersionFile(const char* recordName);
