#include "tests/net/GameFolder.h"

#include <windows.h>

#include <cctype>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

// Read-only files would stop the removal of an earlier run's folder.
void ClearReadOnly(const fs::path& folder) {
  std::error_code ignored;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder, ignored)) {
    SetFileAttributesA(entry.path().string().c_str(), FILE_ATTRIBUTE_NORMAL);
  }
}

std::string SafeName(std::string name) {
  for (char& c : name) {
    if (!isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return name;
}

}  // namespace

GameFolder::GameFolder(const std::string& name) {
  char current[MAX_PATH] = {};
  GetCurrentDirectoryA(sizeof(current), current);
  m_previous = current;
  fs::path path = fs::path(m_previous) / SafeName(name);
  std::error_code ignored;
  ClearReadOnly(path);
  fs::remove_all(path, ignored);
  fs::create_directories(path);
  m_path = path.string();
  SetCurrentDirectoryA(m_path.c_str());
}

GameFolder::~GameFolder() { SetCurrentDirectoryA(m_previous.c_str()); }
