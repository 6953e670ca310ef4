// One entry of a directory snapshot (see CDirectoryName). Names are byte strings
// compared exactly; a directory's name ends in a backslash, the root's is empty.
#pragma once

#include <string>

class CDirectoryName;
class CTkFileFind;

class CFileName {
public:
  // Takes the finder's current entry name (empty without a finder).
  CFileName(CDirectoryName* parent, const CTkFileFind* finder);
  virtual ~CFileName();
  CFileName(const CFileName&) = delete;
  CFileName& operator=(const CFileName&) = delete;

  std::string GetName() const;
  // The path from the root of the tree: the parent's path followed by the name,
  // such as sub\dir\file.ext; empty for the root.
  std::string GetPath() const;
  // 1 for a directory, 0 for a file.
  int IsDirectory() const;

protected:
  CDirectoryName* m_pParent;
  std::string m_name;
  int m_isDirectory;
};
