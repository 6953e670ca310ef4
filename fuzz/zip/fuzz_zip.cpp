// Feeds arbitrary bytes to the archive reader as an archive file: opens it, reads
// every header and unpacks every entry into a scratch folder, which is emptied after
// each input. Any crash, leak, sanitizer report, hang or runaway allocation is a bug:
// the reader must turn every input into a result.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ftw.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "zip/ZipArchive.h"

namespace {

struct Scratch {
  std::string root;
  std::string archive;
  std::string out;
};

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*);

const Scratch& GetScratch() {
  static Scratch scratch = [] {
    char pattern[] = "/tmp/fuzz_zip.XXXXXX";
    Scratch s;
    if (!mkdtemp(pattern)) std::abort();
    s.root = pattern;
    s.archive = s.root + "/input.kqp";
    s.out = s.root + "/out";
    // The path lives in a static buffer: the removal runs after static strings are gone.
    static char root[sizeof(pattern)];
    std::memcpy(root, pattern, sizeof(pattern));
    std::atexit([] { nftw(root, RemoveEntry, 16, FTW_DEPTH | FTW_PHYS); });
    return s;
  }();
  return scratch;
}

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) {
  chmod(path, 0700);
  return remove(path);
}

void EmptyFolder(const std::string& path) { nftw(path.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS); }

bool WriteInput(const std::string& path, const uint8_t* data, size_t size) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  bool ok = std::fwrite(data, 1, size, file) == size;
  return std::fclose(file) == 0 && ok;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const Scratch& scratch = GetScratch();
  if (!WriteInput(scratch.archive, data, size)) std::abort();
  mkdir(scratch.out.c_str(), 0700);
  {
    CZipArchive zip;
    if (zip.Open(scratch.archive.c_str(), CZipArchive::zipOpenReadOnly)) {
      CZipFileHeader header;
      for (int i = 0; i < zip.GetCount(); ++i) {
        if (zip.GetFileInfo(header, i)) zip.ExtractFile(i, scratch.out.c_str(), true, nullptr, 65536);
      }
    }
    zip.Close();
  }
  EmptyFolder(scratch.out);
  return 0;
}
