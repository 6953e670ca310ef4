#include "files/FileName.h"

#include "files/DirectoryName.h"
#include "files/TkFileFind.h"

CFileName::CFileName(CDirectoryName* parent, const CTkFileFind* finder)
    : m_pParent(parent), m_name(finder != nullptr ? finder->GetFileName() : std::string()), m_isDirectory(0) {}

CFileName::~CFileName() = default;

std::string CFileName::GetName() const { return m_name; }

std::string CFileName::GetPath() const {
  if (m_pParent == nullptr) {
    return m_name;
  }
  return m_pParent->GetPath() + m_name;
}

int CFileName::IsDirectory() const { return m_isDirectory; }
