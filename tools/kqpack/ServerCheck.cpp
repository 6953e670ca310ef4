#include "ServerCheck.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>
#include <set>

#include "FolderWalk.h"
#include "ReleaseSigner.h"
#include "ZipWriter.h"
#include "zip/ZipArchive.h"
#include "zip/ZipFile.h"
#include "zip/ZipPathComponent.h"

namespace {

const size_t kRecordLength = 21;
const size_t kVersionLength = 12;
const size_t kPrefixLength = 4;
const size_t kBaseOffset = 13;
const size_t kDigits = 8;
const char kRecordSuffix[] = "KQVerInfo_New.ver";
const char kArchiveSuffix[] = ".kqp";
const char kLauncherExe[] = "KQAutoPatch.exe";
const char kLauncherNew[] = "KQAutoPatch.new";
const size_t kChunk = 65536;
// A record entry is 21 bytes; more than this is never a record.
const size_t kMaxRecordEntry = 4096;

bool AllDigits(const std::string& text, size_t start, size_t count) {
  if (text.size() < start + count) return false;
  for (size_t i = start; i < start + count; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
  }
  return true;
}

bool EndsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// A stored name as a key: "/" separators, ASCII letters in lower case, the way
// Windows matches names.
std::string Fold(std::string name) {
  for (char& c : name) {
    if (c == '\\') c = '/';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return name;
}

std::string Slashed(std::string name) {
  for (char& c : name) {
    if (c == '\\') c = '/';
  }
  return name;
}

bool ReadWhole(const std::string& path, size_t limit, std::string& bytes) {
  CZipFile file;
  if (!file.Open(path.c_str(), CZipFile::modeRead)) return false;
  const int64_t length = file.GetLength();
  if (length < 0) return false;
  bytes.assign(static_cast<size_t>(length) < limit ? static_cast<size_t>(length) : limit, '\0');
  return bytes.empty() || file.ReadExact(&bytes[0], bytes.size());
}

// Reads the open entry to its end; keeps up to limit bytes. False on damaged data or
// a CRC mismatch (the archive's last failure says which).
bool ReadEntry(CZipArchive& zip, std::string& kept, size_t limit) {
  std::unique_ptr<char[]> buffer(new char[kChunk]);
  kept.clear();
  for (;;) {
    const size_t got = zip.ReadFile(buffer.get(), kChunk);
    if (kept.size() < limit) kept.append(buffer.get(), std::min(got, limit - kept.size()));
    if (got < kChunk) break;
  }
  return zip.CloseFile() == CZipArchive::closeOk;
}

// Compares entry index with a file on disk; false when either cannot be read.
bool SameAsEntry(CZipArchive& zip, int index, const std::string& diskPath, bool& same) {
  CZipFile file;
  if (!file.Open(diskPath.c_str(), CZipFile::modeRead) || !zip.OpenFile(index)) return false;
  std::unique_ptr<char[]> entry(new char[kChunk]);
  std::unique_ptr<char[]> disk(new char[kChunk]);
  same = true;
  for (;;) {
    const size_t got = zip.ReadFile(entry.get(), kChunk);
    if (same && got > 0 && (!file.ReadExact(disk.get(), got) || std::memcmp(entry.get(), disk.get(), got) != 0)) {
      same = false;
    }
    if (got < kChunk) break;
  }
  char extra;
  if (same && file.Read(&extra, 1) != 0) same = false;
  return zip.CloseFile() == CZipArchive::closeOk;
}

}  // namespace

void CServerCheck::Problem(const std::string& file, const std::string& reason) {
  m_problems.push_back(file + ": " + reason);
}

void CServerCheck::Problem(const std::string& file, const std::string& entry, const std::string& reason) {
  m_problems.push_back(file + ": " + entry + ": " + reason);
}

void CServerCheck::CheckSignatures(const unsigned char key[RELEASE_KEY_SIZE]) {
  std::memcpy(m_key, key, RELEASE_KEY_SIZE);
  m_bCheckSignatures = true;
}

std::string CServerCheck::Shown(const std::string& name) const { return m_szShownAs + "/" + name; }

std::string CServerCheck::Key(const std::string& folderName) const {
  return Fold(CZipWriter::ReaderName(folderName, m_names));
}

bool CServerCheck::Run(const std::string& folder, const std::string& shownAs,
                       const std::vector<const CVersionFolder*>& versions, const std::string& prefix,
                       const CNameCodePage& names) {
  m_szFolder = folder;
  m_szShownAs = shownAs;
  m_names = names;
  m_editions.clear();
  m_problems.clear();
  m_notes.clear();
  m_topNames.clear();
  if (!ListEditions(prefix)) return false;
  for (auto& item : m_editions) {
    Edition& edition = item.second;
    CheckRecord(edition);
    CheckArchiveNames(edition);
    for (const auto& archive : edition.archives) CheckArchive(edition, archive.second);
    if (m_bCheckSignatures) {
      if (edition.recordPresent) CheckSignature(CVersionFolder::RecordName(edition.prefix));
      for (const auto& archive : edition.archives) CheckSignature(archive.second);
    }
    CheckChains(edition, versions);
  }
  for (const CVersionFolder* version : versions) {
    if ((prefix.empty() || version->GetPrefix() == prefix) && !m_editions.count(version->GetPrefix())) {
      Problem(version->GetFolder(), "the server folder has no record of edition " + version->GetPrefix());
    }
  }
  return m_problems.empty();
}

// Finds the records and archives at the top of the folder, by edition.
bool CServerCheck::ListEditions(const std::string& prefix) {
  CFolderWalk walk;
  if (!walk.Walk(m_szFolder)) {
    Problem(m_szShownAs, walk.GetError());
    return false;
  }
  for (const PackItem& item : walk.GetItems()) {
    const std::string& name = item.name;
    const std::string top = item.isFolder && !name.empty() && name.back() == '/' ? name.substr(0, name.size() - 1) : name;
    if (top.find('/') != std::string::npos) continue;
    m_topNames.insert(top);
    if (item.isFolder || name.size() < kPrefixLength) continue;
    const std::string edition = name.substr(0, kPrefixLength);
    if (!prefix.empty() && edition != prefix) continue;
    if (name.size() == kPrefixLength + std::strlen(kRecordSuffix) && EndsWith(name, kRecordSuffix)) {
      m_editions[edition].prefix = edition;
      m_editions[edition].hasRecord = true;
      m_editions[edition].recordPresent = true;
    } else if (name.size() == kPrefixLength + kDigits + std::strlen(kArchiveSuffix) && EndsWith(name, kArchiveSuffix) &&
               AllDigits(name, kPrefixLength, kDigits)) {
      m_editions[edition].prefix = edition;
      m_editions[edition].archives[std::stoi(name.substr(kPrefixLength, kDigits))] = name;
    }
  }
  if (m_editions.empty()) {
    Problem(m_szShownAs, "no record (<prefix>" + std::string(kRecordSuffix) + ") and no archive");
    return false;
  }
  return true;
}

// The record as the launcher reads it: exactly 21 bytes, this edition's version string,
// a separator that is never read and the base number.
void CServerCheck::CheckRecord(Edition& edition) {
  const std::string name = CVersionFolder::RecordName(edition.prefix);
  if (!edition.hasRecord) {
    Problem(Shown(name), "missing; the launcher of this edition fetches it first");
    return;
  }
  std::string bytes;
  edition.hasRecord = false;
  if (!ReadWhole(m_szFolder + "/" + name, kRecordLength + 1, bytes)) {
    Problem(Shown(name), "cannot read");
    return;
  }
  if (bytes.size() != kRecordLength) {
    Problem(Shown(name), std::to_string(bytes.size()) + (bytes.size() > kRecordLength ? " or more" : "") +
                             " bytes; the launcher accepts exactly 21");
    return;
  }
  if (bytes.compare(0, kPrefixLength, edition.prefix) != 0 || !AllDigits(bytes, kPrefixLength, kDigits)) {
    Problem(Shown(name), "does not start with a version string of edition " + edition.prefix + " (" +
                             edition.prefix + " and 8 digits)");
    return;
  }
  if (!AllDigits(bytes, kBaseOffset, kDigits)) {
    Problem(Shown(name), "the base number (bytes 14 to 21) is not 8 digits");
    return;
  }
  edition.hasRecord = true;
  edition.record = bytes;
  edition.version = bytes.substr(0, kVersionLength);
  edition.number = std::stoi(bytes.substr(kPrefixLength, kDigits));
  edition.base = std::stoi(bytes.substr(kBaseOffset, kDigits));
}

// "<name>.sig" beside the file: exactly the 64 bytes of a signature that verifies
// with the publisher's key over the file's bytes.
void CServerCheck::CheckSignature(const std::string& name) {
  const std::string signatureName = name + RELEASE_SIGNATURE_SUFFIX;
  const std::string shown = Shown(signatureName);
  if (!m_topNames.count(signatureName)) {
    Problem(shown, "missing");
    return;
  }
  std::string bytes;
  if (!ReadWhole(m_szFolder + "/" + signatureName, RELEASE_SIGNATURE_SIZE + 1, bytes)) {
    Problem(shown, "cannot read");
    return;
  }
  if (bytes.size() != RELEASE_SIGNATURE_SIZE) {
    Problem(shown, std::to_string(bytes.size()) + (bytes.size() > RELEASE_SIGNATURE_SIZE ? " or more" : "") +
                       " bytes; a signature has " + std::to_string(RELEASE_SIGNATURE_SIZE));
    return;
  }
  switch (CheckFileSignature(m_key, m_szFolder + "/" + name, reinterpret_cast<const unsigned char*>(bytes.data()))) {
    case FileSignature::kValid:
      break;
    case FileSignature::kInvalid:
      Problem(shown, "does not verify with the key");
      break;
    case FileSignature::kUnreadable:
      Problem(Shown(name), "cannot read to check its signature");
      break;
  }
}

// The full archive is every client's fall-back; an archive named after a version the
// launcher never asks for is a mistake.
void CServerCheck::CheckArchiveNames(const Edition& edition) {
  if (!edition.archives.count(0)) {
    Problem(Shown(edition.prefix + "00000000" + kArchiveSuffix),
            "missing; it is the fall-back of every client without an archive of its own");
  }
  if (!edition.hasRecord) return;
  for (const auto& archive : edition.archives) {
    if (archive.first == 0) continue;
    if (archive.first < edition.base) {
      Problem(Shown(archive.second), "named after a version below the record's base number " +
                                         edition.record.substr(kBaseOffset, kDigits) +
                                         "; the launcher never asks for it");
    } else if (archive.first >= edition.number) {
      Problem(Shown(archive.second), "named after a version not below the current version " + edition.version +
                                         "; the launcher never asks for it");
    }
  }
}

void CServerCheck::CheckArchive(const Edition& edition, const std::string& name) {
  const std::string shown = Shown(name);
  const std::string path = m_szFolder + "/" + name;
  CZipArchive zip;
  if (!zip.Open(path.c_str(), CZipArchive::zipOpenReadOnly)) {
    Problem(shown, zip.GetLastFailure().GetCauseText());
    return;
  }
  const std::string recordName = CVersionFolder::RecordName(edition.prefix);
  bool foundRecord = false;
  CZipFileHeader header;
  for (int i = 0; i < zip.GetCount(); ++i) {
    if (!zip.GetFileInfo(header, i)) {
      Problem(shown, "cannot read entry header");
      return;
    }
    const std::string entry = header.GetFileName();
    if (!CZipPathComponent::IsSafeEntryName(header.m_pszFileName.GetBuffer(), header.GetFileNameLength())) {
      Problem(shown, entry, CZipException::GetCauseText(CZipException::unsafeName));
      continue;
    }
    CheckEntryPlace(shown, entry);
    if (header.IsDirectory()) continue;
    std::string bytes;
    if (!zip.OpenFile(i) || !ReadEntry(zip, bytes, kMaxRecordEntry)) {
      Problem(shown, entry, zip.GetLastFailure().GetCauseText());
      continue;
    }
    if (!CVersionFolder::SameName(entry, recordName)) continue;
    foundRecord = true;
    if (edition.hasRecord && bytes != edition.record) {
      Problem(shown, entry, "differs from the server's record " + recordName);
    }
  }
  if (!foundRecord) Problem(shown, "holds no " + recordName + " at its root; the launcher cannot finish the patch");
}

// Where the launcher puts an entry: "3DData\<pack>\<file>" goes into <pack>.pak, a
// file directly in "3DData" into no pack, and every deeper folder becomes a pack.
void CServerCheck::CheckEntryPlace(const std::string& archive, const std::string& entry) {
  const std::string name = Slashed(entry);
  const bool folder = !name.empty() && name.back() == '/';
  const int depth = CVersionFolder::StagingDepth(name);
  if (!folder && depth == 1) {
    Problem(archive, entry, "a file directly in 3DData reaches no pack; the launcher deletes it");
  } else if (depth > (folder ? 1 : 2)) {
    Problem(archive, entry, "inside a folder in a pack folder, which the launcher makes a pack of its own");
  } else if (!folder && CVersionFolder::IsPlayerLocal(name)) {
    Problem(archive, entry, "a file of each player's own machine; it would replace every player's");
  } else if (CVersionFolder::SameName(name, kLauncherExe)) {
    Problem(archive, entry, std::string("the running launcher cannot be replaced; it is shipped as ") + kLauncherNew);
  }
}

void CServerCheck::CheckChains(const Edition& edition, const std::vector<const CVersionFolder*>& versions) {
  std::vector<const CVersionFolder*> mine;
  for (const CVersionFolder* version : versions) {
    if (version->GetPrefix() == edition.prefix) mine.push_back(version);
  }
  if (mine.empty() || !edition.hasRecord) return;
  const CVersionFolder* current = nullptr;
  for (const CVersionFolder* version : mine) {
    if (version->GetVersion() == edition.version && !current) current = version;
  }
  if (!current) {
    Problem(Shown(CVersionFolder::RecordName(edition.prefix)),
            "no version folder of its current version " + edition.version + " was given");
    return;
  }
  for (const CVersionFolder* version : mine) {
    if (version == current) continue;
    if (version->GetNumber() >= edition.number) {
      Problem(version->GetFolder(), "version " + version->GetVersion() + " is not older than the record's " +
                                        edition.version);
      continue;
    }
    CheckChain(edition, *version, *current);
  }
}

// What the launcher makes of the older version: its own archive, or the full one
// after the server's "not found" page, unpacked over it.
void CServerCheck::CheckChain(const Edition& edition, const CVersionFolder& older, const CVersionFolder& current) {
  if (older.GetNumber() < edition.base) {
    Problem(older.GetFolder(), "version " + older.GetVersion() + " is below the record's base number " +
                                   edition.record.substr(kBaseOffset, kDigits) +
                                   "; the launcher tells this client it is too old");
    return;
  }
  auto own = edition.archives.find(older.GetNumber());
  auto chosen = own != edition.archives.end() ? own : edition.archives.find(0);
  if (chosen == edition.archives.end()) return;  // the missing full archive is a problem already
  const std::string shown = Shown(chosen->second);
  CZipArchive zip;
  const std::string path = m_szFolder + "/" + chosen->second;
  if (!zip.Open(path.c_str(), CZipArchive::zipOpenReadOnly)) return;  // reported by CheckArchive
  Result result;
  std::string versionFile;
  if (!ApplyArchive(zip, older, result, versionFile)) return;
  if (!CompareResult(zip, shown, older, current, result)) return;
  if (versionFile.compare(0, kVersionLength, current.GetVersion()) != 0) {
    Problem(shown, CVersionFolder::kVersionFileName,
            "from version " + older.GetVersion() + ": the patched folder would be version \"" +
                versionFile.substr(0, kVersionLength) + "\", not " + current.GetVersion());
  }
}

// The older version's files, each entry over the file of its name, the record as the
// version file and the delivered launcher in the launcher's place.
bool CServerCheck::ApplyArchive(CZipArchive& zip, const CVersionFolder& older, Result& result,
                                std::string& versionFile) {
  for (const PackItem& file : older.GetFiles()) result[Key(file.name)] = Source{file.name, file.diskPath, -1};
  const std::string recordName = CVersionFolder::RecordName(older.GetPrefix());
  CZipFileHeader header;
  for (int i = 0; i < zip.GetCount(); ++i) {
    if (!zip.GetFileInfo(header, i)) return false;
    if (header.IsDirectory()) continue;
    const std::string name = Slashed(header.GetFileName());
    if (CVersionFolder::SameName(name, recordName)) {
      if (!zip.OpenFile(i) || !ReadEntry(zip, versionFile, kMaxRecordEntry)) return false;
      continue;
    }
    if (CVersionFolder::SameName(name, kLauncherNew)) {
      result[Fold(kLauncherExe)] = Source{kLauncherExe, "", i};
      continue;
    }
    result[Fold(name)] = Source{name, "", i};
  }
  return true;
}

// Every file of the current version must come out of the patch with its bytes; the
// first one that does not is the problem. Files only the result has are notes.
bool CServerCheck::CompareResult(CZipArchive& zip, const std::string& archive, const CVersionFolder& older,
                                 const CVersionFolder& current, const Result& result) {
  const std::string from = "from version " + older.GetVersion() + " (" + older.GetFolder() + "): ";
  std::set<std::string> wanted;
  for (const PackItem& file : current.GetFiles()) {
    const std::string key = Key(file.name);
    wanted.insert(key);
    auto found = result.find(key);
    if (found == result.end()) {
      Problem(archive, file.name, from + "missing after the patch");
      return false;
    }
    const Source& source = found->second;
    bool same = false;
    bool read = source.entry >= 0 ? SameAsEntry(zip, source.entry, file.diskPath, same)
                                  : CVersionFolder::SameBytes(source.diskPath, file.diskPath, same);
    if (!read || !same) {
      Problem(archive, file.name,
              from + (source.entry >= 0 ? "the archive's entry differs from the current version"
                                        : "kept from that version, which differs from the current version"));
      return false;
    }
  }
  for (const auto& item : result) {
    if (!wanted.count(item.first)) {
      m_notes.push_back(archive + ": " + item.second.name + ": " + from +
                        "stays on the player's machine (an archive cannot remove files)");
    }
  }
  return true;
}
