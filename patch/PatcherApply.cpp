// The archive application of cPatcher: unpacking the downloaded archive into the game
// folder and folding the "3DData" staging folders into the pack files through the
// game engine's storage module.
#include "patch/Patcher.h"

#include "files/CurrentDirectory.h"
#include "files/DirectoryName.h"
#include "patch/GraphicsModule.h"
#include "patch/PackStorage.h"
#include "zip/ZipArchive.h"
#include "zip/ZipPlatform.h"
#include "zip/ZipUnpacker.h"

#include <string>
#include <vector>

namespace {

const char kStagingFolder[] = "3DData";
const size_t kExtractBufferSize = 65536;

// Scans the folder below the current directory into root and comes back. False when
// the folder cannot be entered or left.
bool ScanFolder(const std::string& folder, CDirectoryName& root) {
  cCurrentDirectory here;
  if (!here.IsSaved() || !cCurrentDirectory::Enter(folder)) return false;
  root.Scan(SCAN_FILES | SCAN_DIRECTORIES);
  return here.Restore();
}

std::string WithoutTrailingBackslash(std::string path) {
  if (!path.empty() && path.back() == '\\') path.pop_back();
  return path;
}

// Deletes the staged files (read-only ones too: DeleteFileA refuses them), then the
// folders deepest first (the reverse of the pre-order walk), so nested staging
// folders go too, and finally "3DData". False when "3DData" is still there.
bool RemoveStagingFolder(CDirectoryName& root) {
  const std::string base = std::string(kStagingFolder) + "\\";
  std::vector<std::string> folders;
  std::string path;
  root.Rewind();
  for (int kind; (kind = root.GetNext(path)) != NEXT_END;) {
    if (kind == NEXT_FILE && !path.empty()) ZipPlatform::RemoveFile((base + path).c_str());
    if (kind == NEXT_DIRECTORY && !path.empty()) folders.push_back(base + path);
  }
  for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder) {
    SetFileAttributesA(folder->c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryA(folder->c_str());
  }
  SetFileAttributesA(kStagingFolder, FILE_ATTRIBUTE_NORMAL);
  return RemoveDirectoryA(kStagingFolder) != 0;
}

}  // namespace

// Hands the bytes written inside an entry to the engine, so the bar moves within a
// large entry and a cancel stops it part-way.
class cExtractProgress : public CZipExtractObserver {
public:
  explicit cExtractProgress(cPatcher& engine) : m_engine(engine) {}
  void BeginEntry(const char* name, unsigned done) {
    m_name = name;
    m_done = done;
  }
  bool OnExtracted(size_t bytes) override {
    return m_engine.OnExtractProgress(m_name.c_str(), m_done + static_cast<unsigned>(bytes));
  }

private:
  cPatcher& m_engine;
  std::string m_name;
  unsigned m_done = 0;
};

bool cPatcher::ExtractPatch(const char* archiveName) {
  CZipArchive archive;
  if (!archive.Open(archiveName, CZipArchive::zipOpenReadOnly, 0)) return false;
  const int count = archive.GetCount();
  bool ok = true;
  unsigned total = 0;
  for (int index = 0; index < count; ++index) {
    CZipFileHeader header;
    if (!archive.GetFileInfo(header, index)) {
      ok = false;
      break;
    }
    total += header.GetSize();
  }
  SetStep(PATCH_STEP_EXTRACT, total);
  CZipUnpacker unpacker(archive);
  cExtractProgress progress(*this);
  unsigned done = 0;
  for (int index = 0; ok && index < count; ++index) {
    CZipFileHeader header;
    if (!archive.GetFileInfo(header, index)) {
      ok = false;
      break;
    }
    progress.BeginEntry(header.GetFileName(), done);
    if (!unpacker.UnpackEntry(index, &progress)) {
      // A cancel inside an entry is no failure; the target keeps what it had.
      ok = m_cancel && archive.GetLastFailure().m_iCause == CZipException::cancelled;
      break;
    }
    done += header.GetSize();
    if (m_cancel) break;
    SetProgress(header.GetFileName(), done);
  }
  if (ok && !m_cancel) unpacker.RemoveLeftovers();
  archive.Close();
  return ok;
}

bool cPatcher::OnExtractProgress(const char* name, unsigned done) {
  if (m_cancel) return false;
  SetProgress(name, done);
  return true;
}

// True when the archive holds a graphics-module build at its root.
bool cPatcher::DeliversGraphicsModule(const char* archiveName) {
  CZipArchive archive;
  if (!archive.Open(archiveName, CZipArchive::zipOpenReadOnly, 0)) return false;
  CZipFileHeader header;
  for (int index = 0; index < archive.GetCount(); ++index) {
    if (archive.GetFileInfo(header, index) && IsGraphicsModuleBuild(header.GetFileName())) return true;
  }
  return false;
}

bool cPatcher::UpdatePackFiles() {
  CDirectoryName root(nullptr, nullptr);
  {
    cCurrentDirectory here;
    if (!here.IsSaved() || !cCurrentDirectory::Enter(kStagingFolder)) return true;
    if (!here.Restore()) return false;
  }
  if (!ScanFolder(kStagingFolder, root)) return false;

  cPackStorage storage;
  if (!storage.OpenPackStorage()) return false;
  m_packStorage = &storage;
  bool ok = true;
  std::string path;
  root.Rewind();
  for (int kind; ok && (kind = root.GetNext(path)) != NEXT_END;) {
    if (kind != NEXT_DIRECTORY || path.empty()) continue;
    const std::string pack = WithoutTrailingBackslash(path);
    ok = UpdatePack(std::string(kStagingFolder) + "\\" + pack, pack + ".pak");
  }
  m_packStorage = nullptr;
  return ok && RemoveStagingFolder(root);
}

bool cPatcher::UpdatePack(std::string folderPath, std::string packName) {
  NorvFileStorage* files = nullptr;
  NorvExecutive* executive = m_packStorage ? m_packStorage->Executive() : nullptr;
  if (!executive) return false;
  executive->slots->GetFileStorage(executive, &files);
  if (!files) return false;
  PackHandle pack = files->slots->OpenPack(files, packName.c_str());
  if (!pack) {
    files->slots->Release(files);
    return false;
  }
  bool ok = AddStagedFiles(files, pack, folderPath);
  files->slots->ClosePack(files, pack);
  files->slots->Release(files);
  return ok;
}

// Prepares the pack, adds every file below folderPath and commits; on a failed
// addition what was added so far is still committed.
bool cPatcher::AddStagedFiles(NorvFileStorage* files, PackHandle pack, const std::string& folderPath) {
  CDirectoryName root(nullptr, nullptr);
  {
    cCurrentDirectory here;
    if (!here.IsSaved() || !cCurrentDirectory::Enter(folderPath)) return false;
    const bool begun = files->slots->BeginUpdate(files, pack, 0) != 0;
    if (!begun) {
      here.Restore();
      return false;
    }
    root.Scan(SCAN_FILES | SCAN_DIRECTORIES);
    if (!here.Restore()) return false;
  }
  std::string path;
  root.Rewind();
  for (int kind; (kind = root.GetNext(path)) != NEXT_END;) {
    // A temporary left by an interrupted extraction is no pack content.
    if (kind != NEXT_FILE || path.empty() || CZipArchive::IsTemporaryName(path)) continue;
    if (!files->slots->AddFile(files, pack, (folderPath + "\\" + path).c_str())) {
      files->slots->CommitPack(files, pack, PackProgressCallback);
      return false;
    }
  }
  return files->slots->CommitPack(files, pack, PackProgressCallback) != 0;
}

int WINAPI cPatcher::PackProgressCallback(int done, int total, int) {
  cPatcher* engine = g_pPatchEngine;
  if (!engine || engine->m_cancel) return 1;
  engine->SetStep(PATCH_STEP_PACK, static_cast<unsigned>(total));
  engine->SetProgress("", static_cast<unsigned>(done));
  return 0;
}
