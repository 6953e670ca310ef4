#include "VersionFolder.h"

#include <algorithm>
#include <cctype>

#include "zip/ZipFile.h"
#include "zip/ZipPlatform.h"

const char CVersionFolder::kVersionFileName[] = "KQVerInfo.ver";
const char CVersionFolder::kStagingFolder[] = "3DData";

namespace {

const size_t kVersionLength = 12;
const size_t kPrefixLength = 4;

// The prefix names files on the server and in request paths: letters, digits, '_'
// and '-' keep it a plain name everywhere.
bool IsPrefixChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-';
}

bool IsVersionString(const std::string& text) {
  if (text.size() != kVersionLength) return false;
  for (size_t i = 0; i < kVersionLength; ++i) {
    bool ok = i < kPrefixLength ? IsPrefixChar(text[i]) : std::isdigit(static_cast<unsigned char>(text[i])) != 0;
    if (!ok) return false;
  }
  return true;
}

// Shows a version file's bytes in an error line: printable ASCII as it is, the rest
// as "\xNN".
std::string Printable(const std::string& bytes) {
  static const char kHex[] = "0123456789abcdef";
  std::string shown;
  for (char c : bytes) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u >= 0x20 && u < 0x7f) {
      shown += c;
    } else {
      shown += "\\x";
      shown += kHex[u >> 4];
      shown += kHex[u & 15];
    }
  }
  return shown;
}

}  // namespace

std::string CVersionFolder::RecordName(const std::string& prefix) { return prefix + "KQVerInfo_New.ver"; }

bool CVersionFolder::SameName(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

bool CVersionFolder::Fail(const std::string& where, const std::string& reason) {
  m_szError = where + ": " + reason;
  return false;
}

bool CVersionFolder::Load(const std::string& folder) {
  m_szFolder = folder;
  m_szVersion.clear();
  m_files.clear();
  m_szError.clear();
  if (!ZipPlatform::IsDirectory(folder.c_str())) return Fail(folder, "not a folder");
  return ReadVersion() && ListFiles();
}

// The first 12 bytes of the version file, as the launcher reads them.
bool CVersionFolder::ReadVersion() {
  const std::string path = m_szFolder + "/" + kVersionFileName;
  CZipFile file;
  char bytes[kVersionLength];
  if (!file.Open(path.c_str(), CZipFile::modeRead) || !file.ReadExact(bytes, sizeof(bytes))) {
    return Fail(path, "no version file of at least 12 bytes");
  }
  const std::string text(bytes, sizeof(bytes));
  if (!IsVersionString(text)) {
    return Fail(path, "\"" + Printable(text) + "\" is not a version string (4 letters, digits, '_' or '-', then 8 digits)");
  }
  m_szVersion = text;
  m_iNumber = std::stoi(text.substr(kPrefixLength));
  return true;
}

bool CVersionFolder::ListFiles() {
  CFolderWalk walk;
  if (!walk.Walk(m_szFolder)) return Fail(m_szFolder, walk.GetError());
  const std::string record = RecordName(GetPrefix());
  const std::string staging = std::string(kStagingFolder) + "/";
  for (const PackItem& item : walk.GetItems()) {
    if (item.isFolder) continue;
    if (SameName(item.name, kVersionFileName) || SameName(item.name, record)) continue;
    const size_t slash = item.name.find('/');
    if (slash != std::string::npos && SameName(item.name.substr(0, slash + 1), staging) &&
        item.name.find('/', slash + 1) == std::string::npos) {
      return Fail(item.diskPath, "a file directly in 3DData belongs to no pack (packs are 3DData/<pack>/)");
    }
    m_files.push_back(item);
  }
  return true;
}

const PackItem* CVersionFolder::Find(const std::string& name) const {
  auto found = std::lower_bound(m_files.begin(), m_files.end(), name,
                                [](const PackItem& item, const std::string& wanted) { return item.name < wanted; });
  return found != m_files.end() && found->name == name ? &*found : nullptr;
}
