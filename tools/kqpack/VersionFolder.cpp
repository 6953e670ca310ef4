#include "VersionFolder.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>

#include "zip/ZipFile.h"
#include "zip/ZipPlatform.h"

const char CVersionFolder::kVersionFileName[] = "KQVerInfo.ver";
const char CVersionFolder::kStagingFolder[] = "3DData";

namespace {

const size_t kVersionLength = 12;
const size_t kPrefixLength = 4;
const size_t kChunk = 65536;

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

// Files of an installed game folder that belong to its player's machine: the launch
// options, the patch log, the graphics module picked for this processor (the
// launcher picks it on every machine) and the hand-over copy of it.
const char* const kPlayerLocalFiles[] = {"AutopatchOption.opt", "ZVPatchLog.txt", "NorvGFunc.dll", "NorvGFunc.new"};
// A downloaded patch archive, kept in the game folder when unpacking failed, and an
// interrupted archive download with its validator, kept for the next run to continue.
const char* const kDownloadSuffixes[] = {".kqp", ".kqp.partial", ".kqp.validator"};
// The temporary an extraction writes an entry to beside its target: ".kqpart",
// with a number when that name was taken.
const char kExtractionSuffix[] = ".kqpart";

bool EndsWithName(const std::string& name, const std::string& suffix) {
  return name.size() > suffix.size() && CVersionFolder::SameName(name.substr(name.size() - suffix.size()), suffix);
}

bool IsExtractionTemporary(const std::string& name) {
  size_t end = name.size();
  while (end > 0 && std::isdigit(static_cast<unsigned char>(name[end - 1]))) --end;
  return EndsWithName(name.substr(0, end), kExtractionSuffix);
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

bool CVersionFolder::IsPlayerLocal(const std::string& name) {
  const size_t slash = name.find('/');
  if (slash == std::string::npos) {
    for (const char* local : kPlayerLocalFiles) {
      if (SameName(name, local)) return true;
    }
    for (const char* suffix : kDownloadSuffixes) {
      if (EndsWithName(name, suffix)) return true;
    }
  }
  return IsExtractionTemporary(name);
}

// The number of path components after "3DData/" (a folder's trailing "/" ends no
// component): 1 for a file directly in it or a pack folder, 2 for a pack member or a
// folder inside a pack folder; 0 outside "3DData/".
int CVersionFolder::StagingDepth(const std::string& name) {
  const std::string staging = std::string(kStagingFolder) + "/";
  if (name.size() <= staging.size() || !SameName(name.substr(0, staging.size()), staging)) return 0;
  int depth = 1;
  for (size_t i = staging.size(); i + 1 < name.size(); ++i) {
    if (name[i] == '/') ++depth;
  }
  return depth;
}

bool CVersionFolder::ListFiles() {
  CFolderWalk walk;
  if (!walk.Walk(m_szFolder)) return Fail(m_szFolder, walk.GetError());
  const std::string record = RecordName(GetPrefix());
  for (const PackItem& item : walk.GetItems()) {
    const int depth = StagingDepth(item.name);
    if (item.isFolder) {
      if (depth > 1) return FailNestedPack(item);
      continue;
    }
    if (SameName(item.name, kVersionFileName) || SameName(item.name, record) || IsPlayerLocal(item.name)) continue;
    if (depth == 1) {
      return Fail(item.diskPath, "a file directly in 3DData belongs to no pack (packs are 3DData/<pack>/)");
    }
    m_files.push_back(item);
  }
  return true;
}

// The launcher folds every folder below "3DData" into a pack named after its path,
// so a folder inside a pack folder would get a pack of its own as well.
bool CVersionFolder::FailNestedPack(const PackItem& folder) {
  std::string where = folder.diskPath;
  std::string pack = folder.name.substr(std::string(kStagingFolder).size() + 1);
  pack.pop_back();
  for (char& c : pack) {
    if (c == '/') c = '\\';
  }
  return Fail(where, "a folder inside a pack folder would become a pack of its own (" + pack +
                         ".pak); put its files directly in the pack folder");
}

bool CVersionFolder::SameBytes(const std::string& a, const std::string& b, bool& same) {
  CZipFile first;
  CZipFile second;
  if (!first.Open(a.c_str(), CZipFile::modeRead) || !second.Open(b.c_str(), CZipFile::modeRead)) return false;
  const int64_t length = first.GetLength();
  if (length < 0 || second.GetLength() < 0) return false;
  same = length == second.GetLength();
  std::unique_ptr<char[]> left(new char[kChunk]);
  std::unique_ptr<char[]> right(new char[kChunk]);
  while (same) {
    int64_t got = first.Read(left.get(), kChunk);
    if (got < 0 || (got > 0 && !second.ReadExact(right.get(), static_cast<size_t>(got)))) return false;
    if (got == 0) break;
    same = std::memcmp(left.get(), right.get(), static_cast<size_t>(got)) == 0;
  }
  return true;
}

const PackItem* CVersionFolder::Find(const std::string& name) const {
  auto found = std::lower_bound(m_files.begin(), m_files.end(), name,
                                [](const PackItem& item, const std::string& wanted) { return item.name < wanted; });
  return found != m_files.end() && found->name == name ? &*found : nullptr;
}
