#include "ZipUnpacker.h"

#include <vector>

#include "ZipPathComponent.h"
#include "ZipPlatform.h"

const size_t CZipUnpacker::kBufferSize;

bool CZipUnpacker::UnpackEntry(int index, CZipExtractObserver* observer) {
  CZipFileHeader header;
  if (!m_archive.GetFileInfo(header, index)) return m_archive.ExtractFile(index, nullptr, true, nullptr, kBufferSize);
  std::string target = header.GetFileName();
  ZipPlatform::ToDiskPath(target);
  // The name is checked before anything touches the file it names; ExtractFile
  // refuses an unsafe one with its cause.
  if (CZipPathComponent::IsSafeEntryName(header.m_pszFileName.GetBuffer(), header.GetFileNameLength())) {
    ZipPlatform::PrepareForReplace(target.c_str());
  }
  if (!m_archive.ExtractFile(index, nullptr, true, nullptr, kBufferSize, observer)) return false;
  if (header.IsDirectory()) {
    m_folders.insert(target);
  } else {
    std::string folder = CZipPathComponent(target).GetFilePath();
    while (!folder.empty() && CZipPathComponent::IsSeparator(folder.back())) folder.pop_back();
    m_folders.insert(folder);
  }
  return true;
}

int CZipUnpacker::RemoveLeftovers() {
  int removed = 0;
  std::vector<std::string> names;
  for (const std::string& folder : m_folders) {
    if (!ZipPlatform::ListFiles(folder, names)) continue;
    for (const std::string& name : names) {
      if (!CZipArchive::IsTemporaryName(name)) continue;
      std::string path = folder.empty() ? name : folder + ZipPlatform::DiskSeparator() + name;
      if (ZipPlatform::RemoveFile(path.c_str())) ++removed;
    }
  }
  return removed;
}
