#include "ServerFolder.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "FolderWalk.h"
#include "VersionFolder.h"
#include "sign/ReleaseKey.h"
#include "zip/ZipFile.h"
#include "zip/ZipPlatform.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

const char CServerFolder::kName[] = "ClientPatchFiles_ZV";

namespace {

const char kScratchSuffix[] = ".partial";
const char kOldSuffix[] = ".old";
const size_t kChunk = 65536;

bool Exists(const std::string& path) {
#ifdef _WIN32
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
#else
  struct stat info;
  return lstat(path.c_str(), &info) == 0;
#endif
}

// A link or junction to a folder: removing it must not touch what it points to.
bool IsLink(const std::string& path) {
#ifdef _WIN32
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
#else
  struct stat info;
  return lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
#endif
}

bool RemoveOneFolder(const std::string& path) {
#ifdef _WIN32
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  return RemoveDirectoryA(path.c_str()) != 0;
#else
  return rmdir(path.c_str()) == 0;
#endif
}

bool RemoveLink(const std::string& path) {
#ifdef _WIN32
  return RemoveOneFolder(path);
#else
  return unlink(path.c_str()) == 0;
#endif
}

bool RenameFolder(const std::string& from, const std::string& to) {
#ifdef _WIN32
  return MoveFileA(from.c_str(), to.c_str()) != 0;
#else
  return rename(from.c_str(), to.c_str()) == 0;
#endif
}

bool CopyBytes(const std::string& from, const std::string& to) {
  CZipFile source;
  CZipFile target;
  if (!source.Open(from.c_str(), CZipFile::modeRead) || !target.Open(to.c_str(), CZipFile::modeCreate)) return false;
  std::unique_ptr<char[]> buffer(new char[kChunk]);
  for (;;) {
    int64_t got = source.Read(buffer.get(), kChunk);
    if (got < 0) return false;
    if (got == 0) break;
    if (!target.Write(buffer.get(), static_cast<size_t>(got))) return false;
  }
  return target.Close();
}

}  // namespace

CServerFolder::~CServerFolder() {
  if (m_bStarted) RemoveTree(m_szScratch);
}

bool CServerFolder::Fail(const std::string& where, const std::string& reason) {
  m_szError = where + ": " + reason;
  return false;
}

bool CServerFolder::Begin(const std::string& outDir, const std::string& prefix) {
  m_szOutDir = outDir;
  m_szPrefix = prefix;
  m_szFinal = outDir + "/" + kName;
  m_szScratch = m_szFinal + kScratchSuffix;
  if (Exists(outDir) && !ZipPlatform::IsDirectory(outDir.c_str())) return Fail(outDir, "exists and is not a folder");
  if (Exists(m_szFinal) && !ZipPlatform::IsDirectory(m_szFinal.c_str())) {
    return Fail(m_szFinal, "exists and is not a folder");
  }
  if (!ZipPlatform::MakeDirectoryTree(outDir)) return Fail(outDir, std::string("cannot create: ") + strerror(errno));
  // A scratch folder left by a release that was killed is ours to replace.
  if (!RemoveTree(m_szScratch)) return Fail(m_szScratch, "cannot remove the scratch folder of an earlier release");
  if (!ZipPlatform::MakeDirectoryTree(m_szScratch)) return Fail(m_szScratch, "cannot create");
  m_bStarted = true;
  return true;
}

std::string CServerFolder::PathOf(const std::string& name) const { return m_szScratch + "/" + name; }

// This edition's files: its record and its archives "<prefix>" + 8 digits + ".kqp",
// and the signature "<file>.sig" of each.
bool CServerFolder::BelongsToEdition(const std::string& fileName) const {
  const std::string signature = RELEASE_SIGNATURE_SUFFIX;
  std::string name = fileName;
  if (name.size() > signature.size() && name.compare(name.size() - signature.size(), signature.size(), signature) == 0) {
    name.resize(name.size() - signature.size());
  }
  if (name == CVersionFolder::RecordName(m_szPrefix)) return true;
  const std::string extension = ".kqp";
  const size_t length = m_szPrefix.size() + 8 + extension.size();
  if (name.size() != length || name.compare(0, m_szPrefix.size(), m_szPrefix) != 0) return false;
  if (name.compare(length - extension.size(), extension.size(), extension) != 0) return false;
  for (size_t i = m_szPrefix.size(); i < m_szPrefix.size() + 8; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(name[i]))) return false;
  }
  return true;
}

bool CServerFolder::CarryOver() {
  if (!ZipPlatform::IsDirectory(m_szFinal.c_str())) return true;
  CFolderWalk walk;
  if (!walk.Walk(m_szFinal)) return Fail(m_szFinal, walk.GetError());
  for (const PackItem& item : walk.GetItems()) {
    const std::string target = PathOf(item.name);
    if (item.isFolder) {
      if (!ZipPlatform::MakeDirectoryTree(target)) return Fail(target, "cannot create");
      continue;
    }
    if (item.name.find('/') == std::string::npos && BelongsToEdition(item.name)) continue;
    if (!CopyBytes(item.diskPath, target)) return Fail(item.diskPath, "cannot carry over into the new server folder");
  }
  return true;
}

bool CServerFolder::Commit() {
  if (!m_bStarted) return Fail(m_szFinal, "not started");
  if (!CarryOver()) return false;
  const std::string old = m_szFinal + kOldSuffix;
  if (!RemoveTree(old)) return Fail(old, "cannot remove");
  const bool replacing = Exists(m_szFinal);
  if (replacing && !RenameFolder(m_szFinal, old)) return Fail(m_szFinal, "cannot move aside");
  if (!RenameFolder(m_szScratch, m_szFinal)) {
    if (replacing) RenameFolder(old, m_szFinal);
    return Fail(m_szFinal, "cannot move the new server folder into place");
  }
  m_bStarted = false;
  if (replacing) RemoveTree(old);
  return true;
}

bool CServerFolder::RemoveTree(const std::string& path) {
  if (!Exists(path)) return true;
  if (IsLink(path)) return RemoveLink(path);
  if (!ZipPlatform::IsDirectory(path.c_str())) return ZipPlatform::RemoveFile(path.c_str());
  CFolderWalk walk;
  if (!walk.Walk(path)) return false;
  const std::vector<PackItem>& items = walk.GetItems();
  // Sorted by name, every folder comes before its content: remove from the back.
  for (auto item = items.rbegin(); item != items.rend(); ++item) {
    bool removed = item->isFolder ? RemoveOneFolder(item->diskPath) : ZipPlatform::RemoveFile(item->diskPath.c_str());
    if (!removed) return false;
  }
  return RemoveOneFolder(path);
}
