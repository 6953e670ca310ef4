// Remembers the process's current directory so that a directory scan can come back
// to exactly that folder after entering a sub-directory. Coming back by ".." could
// end somewhere else (natively ".." of a linked folder is the link target's parent),
// and going anywhere after a failed change would scan the wrong folder.
#pragma once

#include "common/WinTypes.h"

#include <string>

class cCurrentDirectory {
public:
  // Remembers the current directory; IsSaved tells whether that worked.
  cCurrentDirectory();
  ~cCurrentDirectory();
  cCurrentDirectory(const cCurrentDirectory&) = delete;
  cCurrentDirectory& operator=(const cCurrentDirectory&) = delete;

  bool IsSaved() const;
  // Makes the remembered directory current again. False when it cannot.
  bool Restore();

  // Changes the current directory to name, relative to it. False when it cannot.
  static bool Enter(const std::string& name);

private:
#ifdef _WIN32
  char m_path[MAX_PATH];
  bool m_saved;
#else
  int m_fd;
#endif
};
