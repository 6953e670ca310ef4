#include "Release.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include "ReleaseSigner.h"
#include "ServerCheck.h"
#include "ZipWriter.h"
#include "zip/ZipFile.h"
#include "zip/ZipPlatform.h"

const char CRelease::kFullArchiveNumber[] = "00000000";
const char CRelease::kLauncherExe[] = "KQAutoPatch.exe";
const char CRelease::kLauncherNew[] = "KQAutoPatch.new";

namespace {

const uint32_t kAttrArchive = 0x20;

// The folder that is there, path itself or the nearest folder above it, for telling
// where an output folder that does not exist yet would be.
std::string NearestExisting(std::string path) {
  while (!ZipPlatform::IsDirectory(path.c_str())) {
    size_t cut = path.find_last_of("/\\");
    if (cut == std::string::npos) return ".";
    path.resize(cut == 0 ? 1 : cut);
  }
  return path;
}

bool IsSameOrInside(const std::string& path, const std::string& folder) {
  const std::string inner = CFolderWalk::FullPath(path);
  std::string outer = CFolderWalk::FullPath(folder);
  if (inner == outer) return true;
  if (outer.empty() || outer.back() != ZipPlatform::DiskSeparator()) outer += ZipPlatform::DiskSeparator();
  return inner.compare(0, outer.size(), outer) == 0;
}

}  // namespace

bool CRelease::Fail(const std::string& message) {
  m_szError = message;
  return false;
}

bool CRelease::Run(const std::string& outDir, const std::string& currentDir, const std::vector<std::string>& olderDirs,
                   const Options& options) {
  m_written.clear();
  m_notes.clear();
  m_szError.clear();
  m_options = options;
  if (!LoadFolders(currentDir, olderDirs) || !CheckVersions() || !CheckBase() || !CheckCurrentFiles() ||
      !CheckOutsideVersionFolders(outDir)) {
    return false;
  }
  m_szRecordName = CVersionFolder::RecordName(m_current.GetPrefix());
  if (!m_server.Begin(outDir, m_current.GetPrefix())) return Fail(m_server.GetError());
  if (!WriteRecord()) return false;
  if (!WriteArchive(m_current.GetPrefix() + kFullArchiveNumber + ".kqp", FullEntries())) return false;
  for (const CVersionFolder& older : m_older) {
    std::vector<Entry> entries;
    if (!ChangedEntries(older, entries) || !WriteArchive(older.GetVersion() + ".kqp", entries)) return false;
  }
  if (!CheckWritten()) return false;
  if (!m_server.Commit()) return Fail(m_server.GetError());
  return true;
}

// The base number lets a publisher drop old archives: clients below it are told they
// are too old. Every older version given gets an archive, so none may be below it,
// and a base above the current version would turn every older client away.
bool CRelease::CheckBase() {
  const int base = m_options.base;
  if (base < 0 || base > m_current.GetNumber()) {
    return Fail("--base " + BaseText() + ": above the current version " + m_current.GetVersion() +
                "; no older client could be patched");
  }
  for (const CVersionFolder& older : m_older) {
    if (older.GetNumber() < base) {
      return Fail(older.GetFolder() + ": version " + older.GetVersion() + " is below --base " + BaseText() +
                  "; its archive would never be asked for (leave the folder out or lower the base)");
    }
  }
  return true;
}

std::string CRelease::BaseText() const {
  char text[16];
  std::snprintf(text, sizeof(text), "%08d", m_options.base);
  return text;
}

// What was written must pass the checks of "kqpack verify", the chain from every
// older version folder included, before it is put in place.
bool CRelease::CheckWritten() {
  std::vector<const CVersionFolder*> versions = {&m_current};
  for (const CVersionFolder& older : m_older) versions.push_back(&older);
  CServerCheck check;
  if (m_options.signer) check.CheckSignatures(m_options.signer->GetPublicKey());
  const std::string shown = m_server.GetOutDir() + "/" + CServerFolder::kName;
  if (check.Run(m_server.GetScratch(), shown, versions, m_current.GetPrefix(), m_options.names)) {
    m_notes = check.GetNotes();
    return true;
  }
  std::string lines;
  for (const std::string& problem : check.GetProblems()) {
    lines += (lines.empty() ? "" : "\nkqpack: ") + problem;
  }
  return Fail(lines);
}

bool CRelease::LoadFolders(const std::string& currentDir, const std::vector<std::string>& olderDirs) {
  if (!m_current.Load(currentDir)) return Fail(m_current.GetError());
  m_older.assign(olderDirs.size(), CVersionFolder());
  for (size_t i = 0; i < olderDirs.size(); ++i) {
    if (!m_older[i].Load(olderDirs[i])) return Fail(m_older[i].GetError());
  }
  // Written oldest first, whatever order the command line gave.
  std::stable_sort(m_older.begin(), m_older.end(), [](const CVersionFolder& a, const CVersionFolder& b) {
    return a.GetNumber() < b.GetNumber();
  });
  return true;
}

// One edition, every older version below the current one and above 0 (the full
// archive's number), no version twice.
bool CRelease::CheckVersions() {
  const std::string prefix = m_current.GetPrefix();
  for (size_t i = 0; i < m_older.size(); ++i) {
    const CVersionFolder& older = m_older[i];
    if (older.GetPrefix() != prefix) {
      return Fail(older.GetFolder() + ": prefix " + older.GetPrefix() + " differs from the current version's " + prefix);
    }
    if (older.GetNumber() == 0) {
      return Fail(older.GetFolder() + ": version " + older.GetVersion() + " would take the full archive's name");
    }
    if (older.GetNumber() >= m_current.GetNumber()) {
      return Fail(older.GetFolder() + ": version " + older.GetVersion() + " is not older than the current version " +
                  m_current.GetVersion());
    }
    if (i > 0 && older.GetNumber() == m_older[i - 1].GetNumber()) {
      return Fail(older.GetFolder() + ": version " + older.GetVersion() + " is also the version of " +
                  m_older[i - 1].GetFolder());
    }
  }
  return true;
}

// Every name of the current version must be one the launcher extracts, and the
// launcher's new-file name is the release's to give.
bool CRelease::CheckCurrentFiles() {
  for (const PackItem& file : m_current.GetFiles()) {
    if (CVersionFolder::SameName(file.name, kLauncherNew)) {
      return Fail(file.diskPath + ": the release delivers " + kLauncherExe + " under this name; remove it");
    }
    std::string reason;
    if (!CZipWriter::CheckName(file.name, m_options.names, reason)) return Fail(file.diskPath + ": " + reason);
  }
  return true;
}

// A server folder inside a version folder would be shipped as game files next time.
bool CRelease::CheckOutsideVersionFolders(const std::string& outDir) {
  const std::string out = NearestExisting(outDir);
  std::vector<const CVersionFolder*> folders = {&m_current};
  for (const CVersionFolder& older : m_older) folders.push_back(&older);
  for (const CVersionFolder* folder : folders) {
    if (IsSameOrInside(out, folder->GetFolder())) {
      return Fail(outDir + ": inside the version folder " + folder->GetFolder());
    }
  }
  return true;
}

CRelease::Entry CRelease::EntryFor(const PackItem& file) const {
  Entry entry;
  entry.name = CVersionFolder::SameName(file.name, kLauncherExe) ? std::string(kLauncherNew) : file.name;
  entry.diskPath = file.diskPath;
  entry.attributes = file.attributes;
  entry.modified = file.modified;
  return entry;
}

std::vector<CRelease::Entry> CRelease::FullEntries() const {
  std::vector<Entry> entries;
  for (const PackItem& file : m_current.GetFiles()) entries.push_back(EntryFor(file));
  return entries;
}

bool CRelease::ChangedEntries(const CVersionFolder& older, std::vector<Entry>& entries) {
  for (const PackItem& file : m_current.GetFiles()) {
    const PackItem* before = older.Find(file.name);
    bool same = false;
    if (before && !CVersionFolder::SameBytes(file.diskPath, before->diskPath, same)) {
      return Fail(file.diskPath + ": cannot compare with " + before->diskPath);
    }
    if (!same) entries.push_back(EntryFor(file));
  }
  return true;
}

bool CRelease::WriteRecord() {
  const std::string record = m_current.GetVersion() + " " + BaseText();
  CZipFile file;
  if (!file.Open(m_server.PathOf(m_szRecordName).c_str(), CZipFile::modeCreate) ||
      !file.Write(record.data(), record.size()) || !file.Close()) {
    return Fail(ServedPath(m_szRecordName) + ": cannot write");
  }
  m_written.push_back(m_szRecordName);
  return Sign(m_szRecordName);
}

// The entries plus the record at the root, sorted by name.
bool CRelease::WriteArchive(const std::string& name, std::vector<Entry> entries) {
  Entry record;
  record.name = m_szRecordName;
  record.diskPath = m_server.PathOf(m_szRecordName);
  record.attributes = kAttrArchive;
  entries.push_back(record);
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.name < b.name; });

  CZipWriter writer;
  if (!writer.Create(m_server.PathOf(name), true, m_options.names)) return Fail(ServedPath(name) + ": " + writer.GetError());
  for (const Entry& entry : entries) {
    if (!writer.AddFile(entry.diskPath, entry.name, entry.attributes, entry.modified)) {
      writer.Abandon();
      return Fail(ServedPath(name) + ": " + entry.name + ": " + writer.GetError());
    }
  }
  if (!writer.Finish()) {
    writer.Abandon();
    return Fail(ServedPath(name) + ": " + writer.GetError());
  }
  m_written.push_back(name);
  return Sign(name);
}

// "<name>.sig" beside the file written, when the release is signed.
bool CRelease::Sign(const std::string& name) {
  if (!m_options.signer) return true;
  unsigned char signature[RELEASE_SIGNATURE_SIZE];
  std::string error;
  if (!m_options.signer->SignFile(m_server.PathOf(name), signature, error)) return Fail(ServedPath(name) + ": " + error);
  const std::string signatureName = name + RELEASE_SIGNATURE_SUFFIX;
  CZipFile file;
  if (!file.Open(m_server.PathOf(signatureName).c_str(), CZipFile::modeCreate) ||
      !file.Write(signature, sizeof(signature)) || !file.Close()) {
    return Fail(ServedPath(signatureName) + ": cannot write");
  }
  m_written.push_back(signatureName);
  return true;
}

std::string CRelease::ServedPath(const std::string& name) const {
  return m_server.GetOutDir() + "/" + CServerFolder::kName + "/" + name;
}
