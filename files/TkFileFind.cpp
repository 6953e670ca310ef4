#include "files/TkFileFind.h"

#include <cstdio>
#include <cstring>

#ifndef _WIN32
#include <fnmatch.h>
#include <sys/stat.h>
#endif

namespace {
const DWORD kDirectoryAttribute = 0x10;
const char* const kAllEntries = "*.*";
}

#ifdef _WIN32

// Windows back end: the system's directory search. <windows.h> maps FindNextFile to
// FindNextFileA, so the system calls are written with :: to reach the API, not the
// member of the same name.

CTkFileFind::CTkFileFind() : m_hFind(nullptr), m_findData() {}

CTkFileFind::~CTkFileFind() { CloseSearch(); }

void CTkFileFind::CloseSearch() {
  if (m_hFind != nullptr) {
    ::FindClose(m_hFind);
    m_hFind = nullptr;
  }
}

bool CTkFileFind::FindFile(const char* pattern) {
  CloseSearch();
  HANDLE hFind = ::FindFirstFileA(pattern != nullptr ? pattern : kAllEntries, &m_findData);
  if (hFind == INVALID_HANDLE_VALUE) {
    return false;
  }
  m_hFind = hFind;
  return true;
}

bool CTkFileFind::FindNextFile() {
  if (m_hFind == nullptr) {
    return false;
  }
  return ::FindNextFileA(m_hFind, &m_findData) != FALSE;
}

#else

// POSIX back end. The search lists a "." entry of its own first, then what readdir
// returns except its own ".", so FindFile holds "." exactly as the Windows search
// does on an ordinary directory. Entries are filtered by the pattern's last part
// ("*" and "*.*" match everything, other masks use fnmatch). Symbolic links are not
// followed: a link is never a directory here, so a scan cannot loop through one.

CTkFileFind::CTkFileFind() : m_dir(nullptr), m_dotListed(false), m_findData() {}

CTkFileFind::~CTkFileFind() { CloseSearch(); }

void CTkFileFind::CloseSearch() {
  if (m_dir != nullptr) {
    closedir(m_dir);
    m_dir = nullptr;
  }
}

bool CTkFileFind::FindFile(const char* pattern) {
  CloseSearch();
  std::string search = pattern != nullptr ? pattern : kAllEntries;
  size_t slash = search.find_last_of("/\\");
  if (slash == std::string::npos) {
    m_folder = ".";
    m_mask = search;
  } else {
    m_folder = search.substr(0, slash + 1);
    m_mask = search.substr(slash + 1);
    for (char& c : m_folder) {
      if (c == '\\') {
        c = '/';
      }
    }
  }
  m_dir = opendir(m_folder.c_str());
  if (m_dir == nullptr) {
    return false;
  }
  m_dotListed = false;
  if (!NextMatch()) {
    CloseSearch();
    return false;
  }
  return true;
}

bool CTkFileFind::FindNextFile() {
  if (m_dir == nullptr) {
    return false;
  }
  return NextMatch();
}

// Moves to the next entry that matches the mask; false at the end of the folder.
bool CTkFileFind::NextMatch() {
  if (!m_dotListed) {
    m_dotListed = true;
    if (Matches(".")) {
      TakeEntry(".", true);
      return true;
    }
  }
  while (dirent* entry = readdir(m_dir)) {
    if (strcmp(entry->d_name, ".") == 0 || !Matches(entry->d_name)) {
      continue;
    }
    TakeEntry(entry->d_name, IsDirectoryEntry(entry->d_name));
    return true;
  }
  return false;
}

bool CTkFileFind::Matches(const char* name) const {
  if (m_mask == "*" || m_mask == kAllEntries) {
    return true;
  }
  return fnmatch(m_mask.c_str(), name, 0) == 0;
}

bool CTkFileFind::IsDirectoryEntry(const char* name) const {
  std::string path = m_folder + "/" + name;
  struct stat info;
  return lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

void CTkFileFind::TakeEntry(const char* name, bool isDirectory) {
  m_findData.dwFileAttributes = isDirectory ? kDirectoryAttribute : 0;
  snprintf(m_findData.cFileName, sizeof m_findData.cFileName, "%s", name);
}

#endif

std::string CTkFileFind::GetFileName() const {
#ifdef _WIN32
  bool started = m_hFind != nullptr;
#else
  bool started = m_dir != nullptr;
#endif
  return started ? std::string(m_findData.cFileName) : std::string();
}

bool CTkFileFind::IsDirectory() const { return (m_findData.dwFileAttributes & kDirectoryAttribute) != 0; }
