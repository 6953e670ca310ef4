// kqpack: the publisher's archive tool. Creates patch archives (central headers
// scrambled with the header key table unless --plain) and lists, unpacks and checks
// them through the same reader the launcher uses, so what kqpack accepts is what a
// player's launcher accepts.
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
               "usage: kqpack create ARCHIVE DIR [--plain] | list ARCHIVE | extract ARCHIVE DEST | test ARCHIVE\n");
  return kExitUsage;
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

// The name as the reader will see it, for the safety check.
bool IsSafeStoredName(const std::string& name) {
  std::string converted = name;
  for (char& c : converted) {
    if (c == '/') c = '\\';
  }
  return CZipPathComponent::IsSafeEntryName(converted.c_str(), converted.size());
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
  CProgressLine progress("packing");
  int done = 0;
  uint64_t bytes = 0;
  const int total = (int)walk.GetItems().size();
  for (const PackItem& item : walk.GetItems()) {
    if (!item.isFolder && CFolderWalk::FullPath(item.diskPath) == archiveFull) continue;
    if (!IsSafeStoredName(item.name)) {
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
  return Usage();
}
