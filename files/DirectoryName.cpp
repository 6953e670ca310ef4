#include "files/DirectoryName.h"

#include "files/CurrentDirectory.h"
#include "files/TkFileFind.h"

CDirectoryName::CDirectoryName(CDirectoryName* parent, const CTkFileFind* finder)
    : CFileName(parent, finder), m_entryName(m_name), m_selfReported(0), m_cursor(0) {
  if (!m_name.empty() && m_name.back() != '\\') {
    m_name += '\\';
  }
  m_isDirectory = 1;
}

CDirectoryName::~CDirectoryName() = default;

void CDirectoryName::Scan(int flags) {
  ListEntries(flags);
  ScanSubDirectories();
}

// Adds the entries of the current directory that flags keeps, except "." and "..".
void CDirectoryName::ListEntries(int flags) {
  CTkFileFind finder;
  finder.FindFile(nullptr);
  while (finder.FindNextFile()) {
    std::string name = finder.GetFileName();
    if (name == "." || name == "..") {
      continue;
    }
    if (finder.IsDirectory()) {
      if (flags & SCAN_DIRECTORIES) {
        m_children.emplace_back(new CDirectoryName(this, &finder));
      }
    } else if (flags & SCAN_FILES) {
      m_children.emplace_back(new CFileName(this, &finder));
    }
  }
}

// Enters each sub-directory, scans it and returns to this directory. One that cannot
// be entered stays empty. When the way back fails, the remaining sub-directories stay
// empty as well rather than being looked for in the wrong folder.
void CDirectoryName::ScanSubDirectories() {
  cCurrentDirectory here;
  for (std::unique_ptr<CFileName>& child : m_children) {
    if (!child->IsDirectory()) {
      continue;
    }
    if (!here.IsSaved()) {
      return;
    }
    CDirectoryName* directory = static_cast<CDirectoryName*>(child.get());
    if (!cCurrentDirectory::Enter(directory->m_entryName)) {
      continue;
    }
    directory->Scan(SCAN_FILES | SCAN_DIRECTORIES);
    if (!here.Restore()) {
      return;
    }
  }
}

void CDirectoryName::Rewind() {
  m_selfReported = 0;
  m_cursor = 0;
  for (std::unique_ptr<CFileName>& child : m_children) {
    if (child->IsDirectory()) {
      static_cast<CDirectoryName*>(child.get())->Rewind();
    }
  }
}

int CDirectoryName::GetNext(std::string& out) {
  if (!m_selfReported) {
    out = GetPath();
    m_selfReported = 1;
    return NEXT_DIRECTORY;
  }
  while (m_cursor < m_children.size()) {
    CFileName* child = m_children[m_cursor].get();
    if (!child->IsDirectory()) {
      out = child->GetPath();
      ++m_cursor;
      return NEXT_FILE;
    }
    int code = static_cast<CDirectoryName*>(child)->GetNext(out);
    if (code != NEXT_END) {
      return code;
    }
    ++m_cursor;
  }
  return NEXT_END;
}
