#include "patch/VersionRules.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "zip/ZipPathComponent.h"

const char VERSION_FILE_NAME[] = "KQVerInfo.ver";
const char VERSION_RECORD_SUFFIX[] = "KQVerInfo_New.ver";
const char SERVER_PATCH_FOLDER[] = "ClientPatchFiles_ZV";
const char FULL_ARCHIVE_NUMBER[] = "00000000";

namespace {

// Copies at most count characters of text, stopping at its end; out must hold
// count + 1 zero-filled characters.
void CopyField(char* out, const char* text, size_t count) {
  for (size_t i = 0; i < count && text[i]; ++i) out[i] = text[i];
}

// The edition prefix of a version string, zero-terminated.
struct Prefix {
  char text[VERSION_PREFIX_LENGTH + 1] = {};
  explicit Prefix(const char* version) { CopyField(text, version, VERSION_PREFIX_LENGTH); }
};

// The digit field of a version string (offsets 4 to 11); empty when the string ends
// before it.
int ReadNumberField(const char* version) {
  if (std::strlen(version) < static_cast<size_t>(VERSION_NUMBER_OFFSET)) return 0;
  return ReadVersionNumber(version + VERSION_NUMBER_OFFSET);
}

}  // namespace

int ReadVersionNumber(const char* text) {
  char field[VERSION_NUMBER_LENGTH + 1] = {};
  CopyField(field, text, VERSION_NUMBER_LENGTH);
  return std::atoi(field);
}

bool ParseServerRecord(const char* block, unsigned size, ServerRecord* record) {
  if (!block || size != VERSION_RECORD_SIZE) return false;
  std::memset(record, 0, sizeof(*record));
  std::memcpy(record->version, block, VERSION_LENGTH);
  std::memcpy(record->base, block + VERSION_RECORD_BASE_OFFSET, VERSION_NUMBER_LENGTH);
  return true;
}

VersionDecision DecideVersion(const char* local, const ServerRecord& record) {
  if (std::strncmp(record.version, local, VERSION_PREFIX_LENGTH) != 0) return VERSION_PREFIX_DIFFERS;
  if (std::strncmp(record.version, local, VERSION_LENGTH) == 0) return VERSION_UP_TO_DATE;
  int serverNumber = ReadNumberField(record.version);
  int localNumber = ReadNumberField(local);
  int baseNumber = ReadVersionNumber(record.base);
  if (serverNumber < localNumber) return VERSION_SERVER_OLDER;
  if (localNumber < baseNumber) return VERSION_TOO_OLD;
  return VERSION_PATCH_DUE;
}

bool IsSafeVersionString(const char* version) {
  if (!version || !*version) return false;
  size_t length = 0;
  while (length < static_cast<size_t>(VERSION_LENGTH) && version[length]) ++length;
  const std::string text(version, length);
  char archive[260] = {};
  char record[260] = {};
  MakeArchiveName(text.c_str(), archive, sizeof(archive));
  MakeRecordName(text.c_str(), record, sizeof(record));
  return CZipPathComponent::IsSafeFileName(text.c_str(), text.size()) &&
         CZipPathComponent::IsSafeFileName(archive, std::strlen(archive)) &&
         CZipPathComponent::IsSafeFileName(record, std::strlen(record));
}

void MakeFullArchiveVersion(char* local) {
  std::memcpy(local + VERSION_NUMBER_OFFSET, FULL_ARCHIVE_NUMBER, VERSION_NUMBER_LENGTH);
  local[VERSION_LENGTH] = '\0';
}

void MakeRecordName(const char* local, char* out, size_t outSize) {
  std::snprintf(out, outSize, "%s%s", Prefix(local).text, VERSION_RECORD_SUFFIX);
}

void MakeRecordPath(const char* local, char* out, size_t outSize) {
  char name[260] = {};
  MakeRecordName(local, name, sizeof(name));
  std::snprintf(out, outSize, "%s/%s", SERVER_PATCH_FOLDER, name);
}

void MakeArchivePath(const char* local, char* out, size_t outSize) {
  std::snprintf(out, outSize, "%s/%s.kqp", SERVER_PATCH_FOLDER, local);
}

void MakeArchiveName(const char* local, char* out, size_t outSize) {
  std::snprintf(out, outSize, "%s.kqp", local);
}
