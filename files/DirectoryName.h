// A snapshot of a directory tree and its pre-order walk. The root is made with no
// parent and no finder; Scan fills it from the current directory; Rewind and then
// GetNext deliver the root itself (code 2, empty path), then every directory before
// its contents, files and directories in the order the directory search listed them.
#pragma once

#include "files/FileName.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

enum {
  SCAN_FILES = 1,        // keep files
  SCAN_DIRECTORIES = 2,  // keep and descend into sub-directories
};

enum {
  NEXT_END = 0,
  NEXT_FILE = 1,
  NEXT_DIRECTORY = 2,
};

class CDirectoryName : public CFileName {
public:
  // As CFileName, with a backslash appended to a non-empty name.
  CDirectoryName(CDirectoryName* parent, const CTkFileFind* finder);
  ~CDirectoryName() override;

  // Fills the children from the current directory, recursively (sub-directories are
  // always scanned with SCAN_FILES | SCAN_DIRECTORIES). A sub-directory that cannot
  // be entered stays empty. The current directory is the same again on return.
  void Scan(int flags);
  // Restarts the walk of this directory and every directory below it.
  void Rewind();
  // The next entry of the walk: NEXT_DIRECTORY or NEXT_FILE with its path in out,
  // or NEXT_END with out unchanged.
  int GetNext(std::string& out);

private:
  void ListEntries(int flags);
  void ScanSubDirectories();

  // The name as the directory search reported it, used to enter the folder.
  std::string m_entryName;
  std::vector<std::unique_ptr<CFileName>> m_children;
  int m_selfReported;
  size_t m_cursor;
};
