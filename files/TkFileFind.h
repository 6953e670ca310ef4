// One directory search. On Windows it wraps FindFirstFileA/FindNextFileA; elsewhere
// it reads the directory with opendir/readdir and lists a "." entry first, so that
// both back ends deliver the same set of entries to callers.
//
// The entry found by FindFile is held but not delivered: callers see entries only
// after a successful FindNextFile. On an ordinary directory the held entry is ".",
// so callers see every entry except "." (".." included).
#pragma once

#include "common/WinTypes.h"

#include <string>

#ifndef _WIN32
#include <dirent.h>
#endif

class CTkFileFind {
public:
  CTkFileFind();
  virtual ~CTkFileFind();
  CTkFileFind(const CTkFileFind&) = delete;
  CTkFileFind& operator=(const CTkFileFind&) = delete;

  // Starts a search for pattern ("*.*" in the current directory when null). False
  // when nothing matches or the folder cannot be read; no search is then held.
  bool FindFile(const char* pattern = nullptr);
  // Moves to the next entry. False at the end or when no search was started.
  bool FindNextFile();
  // The current entry's name, or an empty string when no search was started.
  std::string GetFileName() const;
  // True when the current entry is a directory.
  bool IsDirectory() const;

private:
  void CloseSearch();

#ifdef _WIN32
  HANDLE m_hFind;
  WIN32_FIND_DATAA m_findData;
#else
  bool NextMatch();
  bool Matches(const char* name) const;
  void TakeEntry(const char* name, bool isDirectory);
  bool IsDirectoryEntry(const char* name) const;

  DIR* m_dir;
  bool m_dotListed;
  std::string m_folder;
  std::string m_mask;
  struct {
    DWORD dwFileAttributes;
    char cFileName[MAX_PATH];
  } m_findData;
#endif
};
