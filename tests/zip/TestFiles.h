// File helpers for the archive tests: scratch folders below the test's working folder,
// whole-file reads and writes, and a listing of everything below a folder.
#pragma once

#include <optional>
#include <string>
#include <vector>

// An empty folder, created fresh (anything left by an earlier run is removed first)
// and removed again at the end of its scope.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& name);
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::string& Path() const { return m_path; }
  std::string Join(const std::string& relative) const { return m_path + "/" + relative; }

 private:
  std::string m_path;
};

// Removes path and everything below it, read-only files included.
void RemoveTree(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);
// The file's content, or nothing when it cannot be read.
std::optional<std::string> ReadBytes(const std::string& path);
// Everything below root as relative paths with "/" separators, folders ending with
// "/", sorted.
std::vector<std::string> ListTree(const std::string& root);
bool IsWritable(const std::string& path);
// The directory the test program runs in, absolute.
std::string CurrentFolder();
// A test name made from a case label: letters and digits kept, the rest "_".
std::string TestNameFrom(const char* label);
