// Arbitrary bytes as a skin script. A scratch skin folder holds two small valid
// images ("a.tga", 24-bit uncompressed, and "b.tga", 32-bit run-length), so that
// scripts can reach past the image keys. The loader must succeed or fail with a
// reason, and every lookup of the tree it built must be safe.
#include "files/FileSystem.h"
#include "skin/SkinManager.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

const unsigned char kImageA[] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2, 0, 24, 0,
                                 0, 0, 255, 1, 2, 3, 4, 5, 6, 7, 8, 9};
const unsigned char kImageB[] = {0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 9, 0, 3, 0, 32, 8,
                                 0x9A, 0, 0, 255, 255};

void WriteImage(const std::string& path, const unsigned char* bytes, size_t size) {
  FILE* file = fopen(path.c_str(), "wb");
  if (file == nullptr || fwrite(bytes, 1, size, file) != size || fclose(file) != 0) {
    abort();
  }
}

char g_folder[] = "/tmp/fuzz_skin.XXXXXX";

// Removes the scratch folder when the run ends normally.
void RemoveFolder() {
  std::string folder = g_folder;
  remove((folder + "/a.tga").c_str());
  remove((folder + "/b.tga").c_str());
  rmdir(folder.c_str());
}

// The scratch skin folder, made once per process.
const std::string& SkinFolder() {
  static std::string folder = [] {
    if (mkdtemp(g_folder) == nullptr) {
      abort();
    }
    atexit(RemoveFolder);
    std::string made = std::string(g_folder) + "/";
    WriteImage(made + "a.tga", kImageA, sizeof(kImageA));
    WriteImage(made + "b.tga", kImageB, sizeof(kImageB));
    return made;
  }();
  return folder;
}

void Walk(const cSkinManager& skin) {
  for (const auto& dialog : skin.GetDialogs()) {
    for (const auto& component : dialog.second->GetComponents()) {
      if (dialog.second->FindComponent(component.first.c_str()) != component.second.get()) {
        abort();
      }
    }
    dialog.second->FindText(0);
  }
  const cSkinDialogResource* main = skin.FindDialog("main");
  if (main != nullptr) {
    main->FindComponent("start");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static cFileSystem fileSystem;
  cSkinManager skin(SkinFolder().c_str());
  bool loaded = skin.LoadText(reinterpret_cast<const char*>(data), (uint32_t)size, "fuzz.txt");
  if (loaded != skin.GetErrorReason().empty()) {
    abort();
  }
  Walk(skin);
  return 0;
}
