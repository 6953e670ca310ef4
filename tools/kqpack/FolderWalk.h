// Lists everything below a folder for packing: files and folders with their names
// relative to the folder ("/" separators, folders ending with "/"), sorted by name so
// that archives are reproducible and every folder comes before its content.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

struct PackItem {
  std::string diskPath;  // as the system opens it
  std::string name;      // relative, "/" separators
  bool isFolder = false;
  uint32_t attributes = 0;  // Windows attribute bits
  time_t modified = 0;
  uint64_t size = 0;
};

class CFolderWalk {
 public:
  // Walks root; false with GetError() set when a folder cannot be read. Links to
  // folders are not followed; links to files are packed as the files they name.
  bool Walk(const std::string& root);
  const std::vector<PackItem>& GetItems() const { return m_items; }
  const std::string& GetError() const { return m_szError; }

  // The absolute, normalised form of path, for telling whether two paths are one file.
  static std::string FullPath(const std::string& path);

 private:
  bool WalkFolder(const std::string& diskPath, const std::string& prefix);

  std::vector<PackItem> m_items;
  std::string m_szError;
};
