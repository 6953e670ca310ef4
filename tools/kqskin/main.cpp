// kqskin: a skin author's tool.
//   kqskin check DIR              loads DIR's "skin.txt" as the launcher does
//   kqskin image FILE.tga OUT.bmp  writes the bitmap that the launcher makes of FILE
//   kqskin help, kqskin --help     the usage, on stdout
// Exit status: 0 success (warnings included), 1 a skin or image that fails, 2 wrong
// use (one line on stderr).
#include "files/FileSystem.h"
#include "skin/SkinComponentResource.h"
#include "skin/SkinManager.h"
#include "tools/kqskin/BmpFile.h"
#include "tools/kqskin/ImageLog.h"
#include "tools/kqskin/SkinReport.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

const int kExitOk = 0;
const int kExitFailed = 1;
const int kExitUsage = 2;
const char kScriptName[] = "skin.txt";

const char kUsage[] =
    "usage: kqskin check DIR\n"
    "       kqskin image FILE.tga OUT.bmp\n"
    "       kqskin help | --help\n"
    "check loads DIR/skin.txt and its images the way the launcher loads its skin folder,\n"
    "and warns (status still 0) about images the launcher draws differently from an image\n"
    "viewer: a top-left origin (shown upside down), a colour map (read as pixels), 8 bits\n"
    "per pixel in a colour image (drawn in grey);\n"
    "image writes the bitmap that the launcher makes of a TGA file as a BMP file.\n";

int Help() {
  fputs(kUsage, stdout);
  return kExitOk;
}

// A wrong command line: one line on stderr.
int UsageError() {
  fputs("usage: kqskin check DIR | image FILE.tga OUT.bmp | help\n", stderr);
  return kExitUsage;
}

// The skin folder as the launcher forms it: relative or absolute, ending in "/".
std::string SkinFolder(const char* dir) {
  std::string folder = dir;
  if (folder.empty()) {
    folder = ".";
  }
  char last = folder.back();
  if (last != '/' && last != '\\') {
    folder += '/';
  }
  return folder;
}

int Check(const char* dir) {
  cImageLog fileSystem;
  std::string folder = SkinFolder(dir);
  std::string script = folder + kScriptName;
  cSkinManager skin(folder.c_str());
  if (!skin.Load(script.c_str())) {
    fprintf(stderr, "%s\n", skin.GetErrorText().c_str());
    return kExitFailed;
  }
  std::string gap = FindLauncherGap(skin);
  if (!gap.empty()) {
    fprintf(stderr, "%s: %s\n", script.c_str(), gap.c_str());
    return kExitFailed;
  }
  printf("OK %s: %zu dialog(s)\n", script.c_str(), skin.GetDialogs().size());
  PrintSkinSummary(skin, stdout);
  for (const std::string& warning : CollectSkinWarnings(skin)) {
    printf("warning: %s\n", warning.c_str());
  }
  for (const std::string& path : fileSystem.GetPaths()) {
    for (const std::string& surprise : FindImageSurprises(path)) {
      printf("warning: %s: %s\n", path.c_str(), surprise.c_str());
    }
  }
  return kExitOk;
}

// Loads the file through the launcher's own image load, with an empty skin folder
// so that the path is taken as given.
int Image(const char* tgaPath, const char* bmpPath) {
  cFileSystem fileSystem;
  cSkinComponentResource::SetSkinFolder("");
  cSkinComponentResource holder("image");
  cSkinBitmap bitmap;
  int width = 0;
  int height = 0;
  std::string reason;
  if (!holder.LoadImage(tgaPath, bitmap, &width, &height, &reason)) {
    fprintf(stderr, "%s\n", reason.c_str());
    return kExitFailed;
  }
  if (!WriteBmpFile(bitmap, bmpPath, reason)) {
    fprintf(stderr, "%s: %s\n", bmpPath, reason.c_str());
    return kExitFailed;
  }
  printf("%s: %d x %d, %d bits -> %s\n", tgaPath, width, height, bitmap.GetBitCount(), bmpPath);
  return kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && strcmp(argv[1], "check") == 0) {
    return Check(argv[2]);
  }
  if (argc == 4 && strcmp(argv[1], "image") == 0) {
    return Image(argv[2], argv[3]);
  }
  if (argc == 2 && (strcmp(argv[1], "help") == 0 || strcmp(argv[1], "--help") == 0)) {
    return Help();
  }
  return UsageError();
}
