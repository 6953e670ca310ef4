#include "patch/PartialArchive.h"

#include "net/HttpFields.h"
#include "net/WinHandle.h"

#include <windows.h>

#include <cstring>

namespace {

const char kDataSuffix[] = ".partial";
const char kValidatorSuffix[] = ".validator";
// Only archives' downloads are looked for, so no other file of the folder is touched.
const char* const kDownloadPatterns[] = {"*.kqp.partial", "*.kqp.validator"};

// Deletes name, also when it is read-only.
void RemoveFile(const std::string& name) {
  SetFileAttributesA(name.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(name.c_str());
}

// The size of the regular file name; false for a folder, a missing file or a size
// beyond 32 bits.
bool RegularFileSize(const std::string& name, unsigned* size) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(name.c_str(), GetFileExInfoStandard, &data)) return false;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
  if (data.nFileSizeHigh != 0) return false;
  *size = data.nFileSizeLow;
  return true;
}

// Reads the validator kept in name into validator (HTTP_VALIDATOR_SIZE bytes); false
// when there is none that could be sent back.
bool ReadValidator(const std::string& name, char* validator) {
  WinHandle file(CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  char text[HTTP_VALIDATOR_SIZE] = {};
  DWORD read = 0;
  if (!ReadFile(file.Get(), text, HTTP_VALIDATOR_SIZE - 1, &read, nullptr)) return false;
  text[read] = '\0';
  if (std::strlen(text) != read || !IsUsableValidator(text)) return false;
  std::memcpy(validator, text, HTTP_VALIDATOR_SIZE);
  return true;
}

bool SameNameNoCase(const std::string& a, const char* b) { return b && lstrcmpiA(a.c_str(), b) == 0; }

}  // namespace

cPartialArchive::cPartialArchive(const char* archiveName)
    : m_archive(archiveName), m_data(m_archive + kDataSuffix), m_validator(m_archive + kValidatorSuffix) {}

void cPartialArchive::Prepare(FileTransfer* transfer) {
  transfer->offset = 0;
  std::memset(transfer->validator, 0, sizeof(transfer->validator));
  transfer->validatorName = m_validator.c_str();
  unsigned size = 0;
  if (RegularFileSize(m_data, &size) && size > 0 && ReadValidator(m_validator, transfer->validator)) {
    transfer->offset = size;
    return;
  }
  std::memset(transfer->validator, 0, sizeof(transfer->validator));
  Discard();
}

bool cPartialArchive::Complete() {
  RemoveFile(m_validator);
  // An archive of an earlier run that could not be unpacked may still be there,
  // read-only even; the new one replaces it.
  DWORD attributes = GetFileAttributesA(m_archive.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    SetFileAttributesA(m_archive.c_str(), FILE_ATTRIBUTE_NORMAL);
  }
  if (MoveFileExA(m_data.c_str(), m_archive.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
  RemoveFile(m_data);
  return false;
}

void cPartialArchive::Discard() {
  RemoveFile(m_data);
  RemoveFile(m_validator);
}

void cPartialArchive::RemoveOthers(const char* keep, const char* keepToo) {
  for (const char* pattern : kDownloadPatterns) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) continue;
    do {
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
      const std::string name = found.cFileName;
      // The archive a download belongs to: its name without the suffix.
      const size_t suffix = name.rfind('.');
      const std::string archive = name.substr(0, suffix);
      if (SameNameNoCase(archive, keep) || SameNameNoCase(archive, keepToo)) continue;
      RemoveFile(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
}
