// The version rules of the patch engine: the local version string, the server's
// version record, the decision between them and the names of the files requested
// from the server and stored in the game folder. Portable, no system calls.
#pragma once

#include <cstddef>

// Version string: 4 characters of edition prefix and 8 decimal digits.
const int VERSION_LENGTH = 12;
const int VERSION_PREFIX_LENGTH = 4;
const int VERSION_NUMBER_OFFSET = 4;
const int VERSION_NUMBER_LENGTH = 8;
// Server record: the current version string, a separator and the base number.
const unsigned VERSION_RECORD_SIZE = 21;
const int VERSION_RECORD_BASE_OFFSET = 13;

extern const char VERSION_FILE_NAME[];        // "KQVerInfo.ver"
extern const char VERSION_RECORD_SUFFIX[];    // "KQVerInfo_New.ver"
extern const char SERVER_PATCH_FOLDER[];      // "ClientPatchFiles_ZV"
extern const char FULL_ARCHIVE_NUMBER[];      // "00000000"

// The server record as the worker keeps it: both fields zero-terminated.
struct ServerRecord {
  char version[VERSION_LENGTH + 1];
  char base[VERSION_NUMBER_LENGTH + 1];
};

enum VersionDecision {
  VERSION_UP_TO_DATE,      // the first 12 characters are equal: nothing to fetch
  VERSION_PATCH_DUE,       // fetch the archive named after the local version
  VERSION_PREFIX_DIFFERS,  // the record belongs to another edition
  VERSION_SERVER_OLDER,    // the server's number is below the local one
  VERSION_TOO_OLD,         // the local number is below the server's base number
};

// Reads a digit field the way atoi does, from at most 8 characters of text (fewer
// when text ends earlier).
int ReadVersionNumber(const char* text);

// True when a version string (up to 12 characters, zero-terminated) may name local
// files: the archive "<version>.kqp" and the record "<prefix>KQVerInfo_New.ver" must
// each be one plain file name in the game folder (no separator, colon, control byte,
// dot-only name or device name). A version file or delivered record that fails this
// is never used to build a name.
bool IsSafeVersionString(const char* version);

// Fills record from a block of exactly 21 bytes; false for any other size.
bool ParseServerRecord(const char* block, unsigned size, ServerRecord* record);

// Decides by prefix, full string and numbers, in that order. local is the local
// version string (up to 12 characters, zero-terminated).
VersionDecision DecideVersion(const char* local, const ServerRecord& record);

// The version string of the full archive: local with its digits replaced by zeros.
// local must hold 13 characters.
void MakeFullArchiveVersion(char* local);

// "<prefix>KQVerInfo_New.ver" from the first 4 characters of local.
void MakeRecordName(const char* local, char* out, size_t outSize);
// "ClientPatchFiles_ZV/<record name>".
void MakeRecordPath(const char* local, char* out, size_t outSize);
// "ClientPatchFiles_ZV/<local>.kqp": where the archive for local is requested.
void MakeArchivePath(const char* local, char* out, size_t outSize);
// "<local>.kqp": where it is stored in the game folder.
void MakeArchiveName(const char* local, char* out, size_t outSize);
