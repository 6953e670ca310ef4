// kqpack: the publisher's archive tool. Creates patch archives (central headers
// scrambled with the header key table unless --plain) and lists, unpacks and checks
// them through the same reader the launcher uses, so what kqpack accepts is what a
// player's launcher accepts. "release" writes a whole server folder from the
// publisher's version folders (Release.h).
//
// Exit status: 0 on success, 1 when the work failed (with one line on stderr naming
// the archive, the entry and the reason), 2 for a wrong command line.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#ifdef _WIN32
#include <direct.h>
#define KQ_CHDIR _chdir
#else
#include <unistd.h>
#define KQ_CHDIR chdir
#endif

#include "FolderWalk.h"
#include "ProgressLine.h"
#include "Release.h"
#include "ZipWriter.h"
#include "zip/ZipArchive.h"
#include "zip/ZipPathComponent.h"
#include "zip/ZipPlatform.h"

namespace {

const int kExitOk = 0;
const int kExitFailed = 1;
const int kExitUsage = 2;
const size_t kBufferSize = 65536;

int Usage() {
  std::fprintf(stderr,
               "usage: kqpack create ARCHIVE DIR [--plain] | list ARCHIVE | extract ARCHIVE DEST | test ARCHIVE"
               " | release OUT_DIR CURRENT_DIR [OLDER_DIR ...] | help\n");
  return kExitUsage;
}

const char kHelp[] =
    "usage:\n"
    "  kqpack create ARCHIVE DIR [--plain]   pack DIR (scrambled central directory unless --plain)\n"
    "  kqpack list ARCHIVE                   size and name of every entry\n"
    "  kqpack extract ARCHIVE DEST           unpack as the launcher does\n"
    "  kqpack test ARCHIVE                   read every entry and check its CRC\n"
    "  kqpack release OUT_DIR CURRENT_DIR [OLDER_DIR ...]\n"
    "                                        write the server folder OUT_DIR/ClientPatchFiles_ZV\n"
    "\n"
    "release: each DIR is a version folder: the game folder of one version, identified by\n"
    "the first 12 bytes of its KQVerInfo.ver (4-character prefix, 8 digits), with the\n"
    "content of each pack file <pack>.pak unpacked under 3DData/<pack>/. A file below\n"
    "3DData/<pack>/ is a member of that pack by its place: it is shipped there, where the\n"
    "launcher stages it and folds it into <pack>.pak. Every other file is a loose file,\n"
    "shipped at its own path; a file directly in 3DData/ is refused. KQVerInfo.ver and a\n"
    "<prefix>KQVerInfo_New.ver at the top are not game files. KQAutoPatch.exe is shipped\n"
    "as KQAutoPatch.new, which the update finisher swaps in.\n"
    "Written: <prefix>KQVerInfo_New.ver (current version, a space, base 00000000), one\n"
    "archive <older version>.kqp per OLDER_DIR with the files added or changed since that\n"
    "version (byte comparison), and the full archive <prefix>00000000.kqp with every file;\n"
    "each archive holds the record at its root. Base 00000000: a client with no archive\n"
    "of its own falls back to the full archive. Files of other editions already in the\n"
    "server folder stay; this edition's old files are replaced. Nothing changes when the\n"
    "release fails.\n";

int Help() {
  std::fputs(kHelp, stdout);
  return kExitOk;
}

int Release(const std::string& outDir, const std::string& currentDir, const std::vector<std::string>& olderDirs) {
  CRelease release;
  if (!release.Run(outDir, currentDir, olderDirs)) {
    std::fprintf(stderr, "kqpack: %s\n", release.GetError().c_str());
    return kExitFailed;
  }
  for (const std::string& name : release.GetWritten()) {
    std::printf("%s/%s/%s\n", outDir.c_str(), CServerFolder::kName, name.c_str());
  }
  return kExitOk;
}

int Report(const std::string& archive, const std::string& entry, const char* reason) {
  if (entry.empty()) {
    std::fprintf(stderr, "kqpack: %s: %s\n", archive.c_str(), reason);
  } else {
    std::fprintf(stderr, "kqpack: %s: %s: %s\n", archive.c_str(), entry.c_str(), reason);
  }
  return kExitFailed;
}

int ReportFailure(const std::string& archive, const CZipArchive& zip) {
  const CZipException& failure = zip.GetLastFailure();
  return Report(archive, failure.m_szFileName == archive ? "" : failure.m_szFileName, failure.GetCauseText());
}

bool OpenArchive(CZipArchive& zip, const std::string& archive) {
  return zip.Open(archive.c_str(), CZipArchive::zipOpenReadOnly);
}

int Create(const std::string& archive, const std::string& folder, bool scrambled) {
  if (!ZipPlatform::IsDirectory(folder.c_str())) return Report(folder, "", "not a folder");
  CZipWriter writer;
  if (!writer.Create(archive, scrambled)) return Report(archive, "", writer.GetError().c_str());
  CFolderWalk walk;
  if (!walk.Walk(folder)) {
    writer.Abandon();
    return Report(archive, "", walk.GetError().c_str());
  }
  const std::string archiveFull = CFolderWalk::FullPath(archive);
  const std::string writingFull = CFolderWalk::FullPath(writer.GetWritingPath());
  CProgressLine progress("packing");
  int done = 0;
  uint64_t bytes = 0;
  const int total = (int)walk.GetItems().size();
  for (const PackItem& item : walk.GetItems()) {
    if (!item.isFolder && (CFolderWalk::FullPath(item.diskPath) == archiveFull ||
                           CFolderWalk::FullPath(item.diskPath) == writingFull)) {
      continue;
    }
    if (!CZipWriter::IsSafeName(item.name)) {
      writer.Abandon();
      return Report(archive, item.name, CZipException::GetCauseText(CZipException::unsafeName));
    }
    bool added = item.isFolder ? writer.AddFolder(item.name, item.attributes, item.modified)
                               : writer.AddFile(item.diskPath, item.name, item.attributes, item.modified);
    if (!added) {
      writer.Abandon();
      return Report(archive, item.name, writer.GetError().c_str());
    }
    bytes += item.size;
    progress.Update(++done, total, bytes);
  }
  if (!writer.Finish()) {
    writer.Abandon();
    return Report(archive, "", writer.GetError().c_str());
  }
  return kExitOk;
}

int List(const std::string& archive) {
  CZipArchive zip;
  if (!OpenArchive(zip, archive)) return ReportFailure(archive, zip);
  CZipFileHeader header;
  for (int i = 0; i < zip.GetCount(); ++i) {
    if (!zip.GetFileInfo(header, i)) return Report(archive, "", "cannot read entry header");
    std::printf("%lu\t%s\n", (unsigned long)header.GetSize(), header.GetFileName());
  }
  return kExitOk;
}

// Unpacks like the launcher: from inside DEST, each entry's stored path, a 64 KiB
// buffer, after letting an existing file of that name be replaced.
int Extract(const std::string& archive, const std::string& destination) {
  CZipArchive zip;
  if (!OpenArchive(zip, archive)) return ReportFailure(archive, zip);
  if (!ZipPlatform::MakeDirectoryTree(destination) || KQ_CHDIR(destination.c_str()) != 0) {
    return Report(archive, "", (destination + ": cannot enter folder").c_str());
  }
  CProgressLine progress("extracting");
  CZipFileHeader header;
  uint64_t bytes = 0;
  const int count = zip.GetCount();
  for (int i = 0; i < count; ++i) {
    if (!zip.GetFileInfo(header, i)) return Report(archive, "", "cannot read entry header");
    if (CZipPathComponent::IsSafeEntryName(header.m_pszFileName.GetBuffer(), header.GetFileNameLength())) {
      std::string target = header.GetFileName();
      ZipPlatform::ToDiskPath(target);
      ZipPlatform::PrepareForReplace(target.c_str());
    }
    if (!zip.ExtractFile(i, nullptr, true, nullptr, kBufferSize)) return ReportFailure(archive, zip);
    bytes += header.GetSize();
    progress.Update(i + 1, count, bytes);
  }
  return kExitOk;
}

// Reads every entry to its end and checks its CRC; writes nothing. Names that
// extraction would refuse fail here too.
int Test(const std::string& archive) {
  CZipArchive zip;
  if (!OpenArchive(zip, archive)) return ReportFailure(archive, zip);
  std::vector<unsigned char> buffer(kBufferSize);
  CProgressLine progress("testing");
  CZipFileHeader header;
  uint64_t bytes = 0;
  const int count = zip.GetCount();
  for (int i = 0; i < count; ++i) {
    if (!zip.GetFileInfo(header, i)) return Report(archive, "", "cannot read entry header");
    if (!CZipPathComponent::IsSafeEntryName(header.m_pszFileName.GetBuffer(), header.GetFileNameLength())) {
      return Report(archive, header.GetFileName(), CZipException::GetCauseText(CZipException::unsafeName));
    }
    if (header.IsDirectory()) continue;
    if (!zip.OpenFile(i)) return ReportFailure(archive, zip);
    while (zip.ReadFile(buffer.data(), buffer.size()) == buffer.size()) {
    }
    if (zip.CloseFile() != CZipArchive::closeOk) return ReportFailure(archive, zip);
    bytes += header.GetSize();
    progress.Update(i + 1, count, bytes);
  }
  return kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return Usage();
  const std::string& command = args[0];
  if (command == "create" && (args.size() == 3 || (args.size() == 4 && args[3] == "--plain"))) {
    return Create(args[1], args[2], args.size() == 3);
  }
  if (command == "list" && args.size() == 2) return List(args[1]);
  if (command == "extract" && args.size() == 3) return Extract(args[1], args[2]);
  if (command == "test" && args.size() == 2) return Test(args[1]);
  if (command == "release" && args.size() >= 3) {
    return Release(args[1], args[2], std::vector<std::string>(args.begin() + 3, args.end()));
  }
  if (command == "help" && args.size() == 1) return Help();
  return Usage();
}
