// Test helpers: a fresh folder per test under the test program's working directory,
// small file writers, and a guard that makes a folder current for a while.
#pragma once

#include <filesystem>
#include <string>

class ScratchFolder {
public:
  // Removes what an earlier run left under name and creates it empty.
  explicit ScratchFolder(const std::string& name);
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& Path() const { return m_path; }
  // path below the folder as a narrow string for the code under test.
  std::string operator/(const std::string& relative) const;

private:
  std::filesystem::path m_path;
};

// Writes bytes to path, replacing the file; creates missing parent folders.
void WriteBytes(const std::filesystem::path& path, const std::string& bytes);
// The whole content of path, or an empty string when it cannot be read.
std::string ReadBytes(const std::filesystem::path& path);

// Makes folder the current directory until destruction, then restores the old one.
class CurrentFolderGuard {
public:
  explicit CurrentFolderGuard(const std::filesystem::path& folder);
  ~CurrentFolderGuard();
  CurrentFolderGuard(const CurrentFolderGuard&) = delete;
  CurrentFolderGuard& operator=(const CurrentFolderGuard&) = delete;

private:
  std::filesystem::path m_previous;
};
