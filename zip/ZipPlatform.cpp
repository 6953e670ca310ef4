#include "ZipPlatform.h"

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>
#include <sys/types.h>

#ifdef _WIN32
#include <direct.h>
#include <sys/utime.h>
#include <windows.h>
#else
#include <dirent.h>
#include <unistd.h>
#include <utime.h>
#endif

namespace ZipPlatform {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Length of the part of path that is a root and is never created: a drive ("C:"),
// a UNC or device prefix, or leading separators.
size_t RootLength(const std::string& path) {
  size_t i = 0;
  if (path.size() >= 2 && path[1] == ':') i = 2;
  while (i < path.size() && IsSeparator(path[i])) ++i;
  return i;
}

bool MakeOneDirectory(const std::string& path) {
#ifdef _WIN32
  if (_mkdir(path.c_str()) == 0) return true;
#else
  if (mkdir(path.c_str(), 0777) == 0) return true;
#endif
  return errno == EEXIST && IsDirectory(path.c_str());
}

}  // namespace

char DiskSeparator() {
#ifdef _WIN32
  return '\\';
#else
  return '/';
#endif
}

void ToDiskPath(std::string& path) {
#ifndef _WIN32
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
#else
  (void)path;
#endif
}

bool IsDirectory(const char* path) {
#ifdef _WIN32
  DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
#else
  struct stat info;
  return stat(path, &info) == 0 && S_ISDIR(info.st_mode);
#endif
}

bool MakeDirectoryTree(const std::string& path) {
  std::string trimmed = path;
  while (trimmed.size() > RootLength(trimmed) && IsSeparator(trimmed.back())) trimmed.pop_back();
  if (trimmed.size() <= RootLength(trimmed)) return true;
  if (IsDirectory(trimmed.c_str())) return true;
  for (size_t i = RootLength(trimmed); i <= trimmed.size(); ++i) {
    if (i < trimmed.size() && !IsSeparator(trimmed[i])) continue;
    if (IsSeparator(trimmed[i - 1])) continue;
    if (!MakeOneDirectory(trimmed.substr(0, i))) return false;
  }
  return true;
}

bool ListFiles(const std::string& folder, std::vector<std::string>& names) {
  names.clear();
#ifdef _WIN32
  std::string pattern = folder.empty() ? std::string("*") : folder + "\\*";
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA(pattern.c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
  do {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(data.cFileName);
  } while (FindNextFileA(search, &data));
  FindClose(search);
  return true;
#else
  const std::string base = folder.empty() ? std::string(".") : folder;
  DIR* dir = opendir(base.c_str());
  if (!dir) return false;
  while (struct dirent* entry = readdir(dir)) {
    struct stat info;
    const std::string path = base + "/" + entry->d_name;
    if (stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) names.push_back(entry->d_name);
  }
  closedir(dir);
  return true;
#endif
}

bool RemoveFile(const char* path) {
#ifdef _WIN32
  SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
  return DeleteFileA(path) != 0;
#else
  return unlink(path) == 0;
#endif
}

bool MoveFileOver(const char* from, const char* to) {
#ifdef _WIN32
  return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING) != 0;
#else
  return rename(from, to) == 0;
#endif
}

bool SetFileTimes(const char* path, time_t modTime) {
#ifdef _WIN32
  struct _utimbuf times;
  times.actime = time(nullptr);
  times.modtime = modTime;
  return _utime(path, &times) == 0;
#else
  struct utimbuf times;
  times.actime = time(nullptr);
  times.modtime = modTime;
  return utime(path, &times) == 0;
#endif
}

bool SetFileAttrs(const char* path, uint32_t attributes, bool isDirectory) {
#ifdef _WIN32
  const DWORD settable = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                         FILE_ATTRIBUTE_ARCHIVE;
  DWORD bits = attributes & settable;
  if (bits == 0) bits = FILE_ATTRIBUTE_NORMAL;
  (void)isDirectory;
  return SetFileAttributesA(path, bits) != 0;
#else
  if (isDirectory || !(attributes & 0x01)) return true;
  struct stat info;
  if (stat(path, &info) != 0) return false;
  return chmod(path, info.st_mode & 07555) == 0;
#endif
}

bool PrepareForReplace(const char* path) {
#ifdef _WIN32
  if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) return true;
  return SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL) != 0;
#else
  (void)path;
  return true;
#endif
}

void ConvertOemToAnsi(char* text, size_t length) {
#ifdef _WIN32
  if (length > 0 && length <= 0xFFFFFFFFu) OemToCharBuffA(text, text, (DWORD)length);
#else
  (void)text;
  (void)length;
#endif
}

}  // namespace ZipPlatform
