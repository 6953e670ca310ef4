#include "files/CurrentDirectory.h"

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

#ifdef _WIN32

// Windows keeps the current directory within MAX_PATH, so its full path always fits.
cCurrentDirectory::cCurrentDirectory() : m_path(), m_saved(false) {
  DWORD length = GetCurrentDirectoryA(MAX_PATH, m_path);
  m_saved = length > 0 && length < MAX_PATH;
}

cCurrentDirectory::~cCurrentDirectory() = default;

bool cCurrentDirectory::IsSaved() const { return m_saved; }

bool cCurrentDirectory::Restore() { return m_saved && SetCurrentDirectoryA(m_path) != FALSE; }

bool cCurrentDirectory::Enter(const std::string& name) { return SetCurrentDirectoryA(name.c_str()) != FALSE; }

#else

// A descriptor of the folder itself survives renames and needs no path length.
cCurrentDirectory::cCurrentDirectory() : m_fd(open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {}

cCurrentDirectory::~cCurrentDirectory() {
  if (m_fd >= 0) {
    close(m_fd);
  }
}

bool cCurrentDirectory::IsSaved() const { return m_fd >= 0; }

bool cCurrentDirectory::Restore() { return m_fd >= 0 && fchdir(m_fd) == 0; }

bool cCurrentDirectory::Enter(const std::string& name) { return chdir(name.c_str()) == 0; }

#endif
