#include "FolderWalk.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <sys/stat.h>
#endif

namespace {

const uint32_t kAttrReadOnly = 0x01;
const uint32_t kAttrDirectory = 0x10;
const uint32_t kAttrArchive = 0x20;

#ifdef _WIN32
time_t FileTimeToTime(const FILETIME& when) {
  // FILETIME counts 100 ns steps since 1601-01-01; time_t seconds since 1970-01-01.
  const unsigned long long kEpochDifference = 116444736000000000ULL;
  unsigned long long ticks = ((unsigned long long)when.dwHighDateTime << 32) | when.dwLowDateTime;
  if (ticks < kEpochDifference) return 0;
  return (time_t)((ticks - kEpochDifference) / 10000000ULL);
}
#endif

}  // namespace

bool CFolderWalk::Walk(const std::string& root) {
  m_items.clear();
  m_szError.clear();
  if (!WalkFolder(root, "")) return false;
  std::sort(m_items.begin(), m_items.end(), [](const PackItem& a, const PackItem& b) { return a.name < b.name; });
  return true;
}

#ifdef _WIN32
bool CFolderWalk::WalkFolder(const std::string& diskPath, const std::string& prefix) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((diskPath + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    m_szError = diskPath + ": cannot read folder";
    return false;
  }
  std::vector<std::string> folders;
  do {
    if (!std::strcmp(found.cFileName, ".") || !std::strcmp(found.cFileName, "..")) continue;
    // The system shows a character outside its ANSI code page as "?", which no
    // Windows name holds: the file could not even be opened by that name.
    if (std::strchr(found.cFileName, '?')) {
      m_szError = diskPath + "\\" + found.cFileName + ": the name holds a character this system's code page cannot show";
      FindClose(search);
      return false;
    }
    PackItem item;
    item.diskPath = diskPath + "\\" + found.cFileName;
    item.modified = FileTimeToTime(found.ftLastWriteTime);
    item.size = ((uint64_t)found.nFileSizeHigh << 32) | found.nFileSizeLow;
    item.attributes = found.dwFileAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                                FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY |
                                                FILE_ATTRIBUTE_ARCHIVE);
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;
      item.isFolder = true;
      item.name = prefix + found.cFileName + "/";
      folders.push_back(found.cFileName);
    } else {
      item.name = prefix + found.cFileName;
    }
    m_items.push_back(item);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  for (const std::string& folder : folders) {
    if (!WalkFolder(diskPath + "\\" + folder, prefix + folder + "/")) return false;
  }
  return true;
}

std::string CFolderWalk::FullPath(const std::string& path) {
  char full[MAX_PATH * 4];
  DWORD length = GetFullPathNameA(path.c_str(), sizeof(full), full, nullptr);
  if (length == 0 || length >= sizeof(full)) return path;
  std::string result(full, length);
  for (char& c : result) {
    if (c == '/') c = '\\';
  }
  CharUpperBuffA(&result[0], (DWORD)result.size());
  return result;
}
#else
bool CFolderWalk::WalkFolder(const std::string& diskPath, const std::string& prefix) {
  DIR* folder = opendir(diskPath.c_str());
  if (!folder) {
    m_szError = diskPath + ": cannot read folder: " + strerror(errno);
    return false;
  }
  std::vector<std::string> folders;
  while (struct dirent* found = readdir(folder)) {
    if (!std::strcmp(found->d_name, ".") || !std::strcmp(found->d_name, "..")) continue;
    PackItem item;
    item.diskPath = diskPath + "/" + found->d_name;
    struct stat info;
    if (lstat(item.diskPath.c_str(), &info) != 0) continue;
    if (S_ISLNK(info.st_mode) && (stat(item.diskPath.c_str(), &info) != 0 || S_ISDIR(info.st_mode))) continue;
    item.modified = info.st_mtime;
    item.size = (uint64_t)info.st_size;
    if (S_ISDIR(info.st_mode)) {
      item.isFolder = true;
      item.name = prefix + found->d_name + "/";
      item.attributes = kAttrDirectory;
      folders.push_back(found->d_name);
    } else if (S_ISREG(info.st_mode)) {
      item.name = prefix + found->d_name;
      item.attributes = kAttrArchive | ((info.st_mode & S_IWUSR) ? 0 : kAttrReadOnly);
    } else {
      continue;
    }
    m_items.push_back(item);
  }
  closedir(folder);
  for (const std::string& name : folders) {
    if (!WalkFolder(diskPath + "/" + name, prefix + name + "/")) return false;
  }
  return true;
}

std::string CFolderWalk::FullPath(const std::string& path) {
  char full[PATH_MAX];
  if (!realpath(path.c_str(), full)) return path;
  return full;
}
#endif
