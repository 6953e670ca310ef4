#include "tests/files/ScratchFolder.h"

#include <fstream>
#include <iterator>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// Gives every folder below path back its owner permissions, so that a test that
// locked one does not stop the clean-up.
void UnlockTree(const fs::path& path) {
  std::error_code error;
  if (!fs::is_directory(fs::symlink_status(path, error))) {
    return;
  }
  fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, error);
  for (fs::directory_iterator it(path, error), end; !error && it != end; it.increment(error)) {
    UnlockTree(it->path());
  }
}

void RemoveTree(const fs::path& path) {
  std::error_code error;
  UnlockTree(path);
  fs::remove_all(path, error);
}

}  // namespace

ScratchFolder::ScratchFolder(const std::string& name) : m_path(fs::current_path() / name) {
  RemoveTree(m_path);
  fs::create_directories(m_path);
}

ScratchFolder::~ScratchFolder() { RemoveTree(m_path); }

std::string ScratchFolder::operator/(const std::string& relative) const { return (m_path / relative).string(); }

void WriteBytes(const fs::path& path, const std::string& bytes) {
  if (path.has_parent_path()) {
    fs::create_directories(path.parent_path());
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), (std::streamsize)bytes.size());
}

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

CurrentFolderGuard::CurrentFolderGuard(const fs::path& folder) : m_previous(fs::current_path()) {
  fs::current_path(folder);
}

CurrentFolderGuard::~CurrentFolderGuard() {
  std::error_code error;
  fs::current_path(m_previous, error);
}
