// Stand-in for the game engine's executive module "NorvExecutiveForQel.dll" and its
// file storage: the slots the launcher uses, a pack format of our own (README.md),
// a journal of every call and failures on demand. The journal and the control file
// live in the folder that was current when DllCreateInstance ran (the game folder),
// because the launcher changes the current directory while it works.
#include "patch/PackStorageSlots.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

const char kJournalName[] = "NorvStandin.log";
const char kControlName[] = "NorvStandin.fail";
const char kPackMagic[4] = {'K', 'Q', 'S', 'P'};
const uint32_t kMaxNameLength = 4096;

// What the control file asks for; read once per DllCreateInstance.
struct Control {
  bool failInit = false;
  bool failOpen = false;
  bool failBegin = false;
  int failAddFile = 0;   // the Nth AddFile of this load fails; 0: none
  bool failCommit = false;
  bool honourStop = false;
  int killAt = 0;        // the process ends after the Nth journal line of this load
};

std::string g_folder;
Control g_control;
int g_journalLines = 0;
int g_addFileCalls = 0;

std::string InFolder(const std::string& name) { return g_folder + "\\" + name; }

void Journal(const std::string& line) {
  FILE* file = std::fopen(InFolder(kJournalName).c_str(), "ab");
  if (file) {
    std::fprintf(file, "%s\n", line.c_str());
    std::fclose(file);
  }
  if (g_control.killAt != 0 && ++g_journalLines == g_control.killAt) TerminateProcess(GetCurrentProcess(), 3);
}

void ReadControl() {
  g_control = Control();
  g_journalLines = 0;
  g_addFileCalls = 0;
  FILE* file = std::fopen(InFolder(kControlName).c_str(), "rb");
  if (!file) return;
  char word[64];
  while (std::fscanf(file, "%63s", word) == 1) {
    std::string what = word;
    if (what == "InitFileStorage") g_control.failInit = true;
    if (what == "OpenPack") g_control.failOpen = true;
    if (what == "BeginUpdate") g_control.failBegin = true;
    if (what == "CommitPack") g_control.failCommit = true;
    if (what == "StopOnProgress") g_control.honourStop = true;
    if (what == "AddFile" && std::fscanf(file, "%d", &g_control.failAddFile) != 1) g_control.failAddFile = 0;
    if (what == "KillAt" && std::fscanf(file, "%d", &g_control.killAt) != 1) g_control.killAt = 0;
  }
  std::fclose(file);
}

bool ReadAll(FILE* file, void* data, size_t size) { return size == 0 || std::fread(data, 1, size, file) == size; }

bool WriteAll(FILE* file, const void* data, size_t size) {
  return size == 0 || std::fwrite(data, 1, size, file) == size;
}

// The content of one entry: a file on disk or a stretch of the old pack.
struct Source {
  std::string path;
  long offset = 0;
  uint32_t size = 0;
};

struct Pack {
  std::string name;  // as the launcher gave it
  std::string path;  // in the game folder
  std::string stem;  // the name without ".pak", used to name entries
  bool updating = false;
  std::map<std::string, Source> entries;
};

// The name inside the pack: the disk path without "3DData\<stem>\" when it starts so.
std::string EntryName(const Pack& pack, const std::string& path) {
  std::string staged = "3DData\\" + pack.stem + "\\";
  if (path.compare(0, staged.size(), staged) == 0) return path.substr(staged.size());
  return path;
}

bool ReadExistingPack(Pack& pack) {
  FILE* file = std::fopen(pack.path.c_str(), "rb");
  if (!file) return true;
  char magic[4];
  bool ok = ReadAll(file, magic, 4) && std::memcmp(magic, kPackMagic, 4) == 0;
  uint32_t length = 0;
  while (ok && std::fread(&length, 4, 1, file) == 1) {
    if (length > kMaxNameLength) {
      ok = false;
      break;
    }
    std::string name(length, '\0');
    Source source;
    source.path = pack.path;
    ok = ReadAll(file, &name[0], length) && ReadAll(file, &source.size, 4);
    source.offset = std::ftell(file);
    ok = ok && std::fseek(file, static_cast<long>(source.size), SEEK_CUR) == 0;
    if (ok) pack.entries[name] = source;
  }
  std::fclose(file);
  return ok;
}

bool CopyContent(FILE* out, const Source& source) {
  FILE* in = std::fopen(source.path.c_str(), "rb");
  if (!in) return false;
  bool ok = std::fseek(in, source.offset, SEEK_SET) == 0;
  std::vector<char> buffer(65536);
  uint32_t left = source.size;
  while (ok && left > 0) {
    size_t chunk = left < buffer.size() ? left : buffer.size();
    ok = ReadAll(in, buffer.data(), chunk) && WriteAll(out, buffer.data(), chunk);
    left -= static_cast<uint32_t>(chunk);
  }
  std::fclose(in);
  return ok;
}

// Creates the folders of the pack's own path below the game folder ("a\\b.pak").
void MakePackFolders(const Pack& pack) {
  for (size_t at = pack.name.find('\\'); at != std::string::npos; at = pack.name.find('\\', at + 1)) {
    CreateDirectoryA(InFolder(pack.name.substr(0, at)).c_str(), nullptr);
  }
}

// Writes every entry to "<pack>.tmp" and renames it over the pack, so a pack is
// either the old one or the new one. False when the callback's stop is honoured.
bool WritePack(Pack& pack, PackProgressFn progress) {
  MakePackFolders(pack);
  std::string temp = pack.path + ".tmp";
  FILE* out = std::fopen(temp.c_str(), "wb");
  if (!out) return false;
  bool ok = WriteAll(out, kPackMagic, 4);
  int total = static_cast<int>(pack.entries.size());
  int done = 0;
  for (const auto& entry : pack.entries) {
    if (!ok) break;
    uint32_t length = static_cast<uint32_t>(entry.first.size());
    ok = WriteAll(out, &length, 4) && WriteAll(out, entry.first.data(), length) &&
         WriteAll(out, &entry.second.size, 4) && CopyContent(out, entry.second);
    ++done;
    if (ok && progress && progress(done, total, 0) != 0 && g_control.honourStop) {
      Journal("stop honoured");
      ok = false;
    }
  }
  ok = std::fclose(out) == 0 && ok;
  if (ok) ok = MoveFileExA(temp.c_str(), pack.path.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
  if (!ok) DeleteFileA(temp.c_str());
  return ok;
}

// --- File storage slots -----------------------------------------------------------

void WINAPI StorageRelease(NorvFileStorage*) { Journal("Release storage"); }

PackHandle WINAPI OpenPack(NorvFileStorage*, const char* packName) {
  Journal(std::string("OpenPack ") + packName);
  if (g_control.failOpen) return nullptr;
  Pack* pack = new Pack;
  pack->name = packName;
  pack->path = InFolder(packName);
  pack->stem = pack->name.size() > 4 ? pack->name.substr(0, pack->name.size() - 4) : pack->name;
  return pack;
}

void WINAPI ClosePack(NorvFileStorage*, PackHandle handle) {
  Pack* pack = static_cast<Pack*>(handle);
  Journal("ClosePack " + pack->name);
  delete pack;
}

int WINAPI BeginUpdate(NorvFileStorage*, PackHandle handle, int mode) {
  Pack* pack = static_cast<Pack*>(handle);
  Journal("BeginUpdate " + pack->name + " " + std::to_string(mode));
  if (g_control.failBegin || !ReadExistingPack(*pack)) return 0;
  pack->updating = true;
  return 1;
}

int WINAPI AddFile(NorvFileStorage*, PackHandle handle, const char* path) {
  Pack* pack = static_cast<Pack*>(handle);
  Journal("AddFile " + pack->name + " " + path);
  if (!pack->updating || ++g_addFileCalls == g_control.failAddFile) return 0;
  Source source;
  source.path = InFolder(path);
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(source.path.c_str(), GetFileExInfoStandard, &data)) return 0;
  source.size = data.nFileSizeLow;
  pack->entries[EntryName(*pack, path)] = source;
  return 1;
}

int WINAPI CommitPack(NorvFileStorage*, PackHandle handle, PackProgressFn progress) {
  Pack* pack = static_cast<Pack*>(handle);
  Journal("CommitPack " + pack->name);
  if (g_control.failCommit || !pack->updating) return 0;
  return WritePack(*pack, progress) ? 1 : 0;
}

const NorvFileStorageSlots kStorageSlots = {nullptr, nullptr, StorageRelease, nullptr, OpenPack, ClosePack,
                                            nullptr, nullptr, nullptr, nullptr, BeginUpdate, AddFile,
                                            nullptr, CommitPack};
NorvFileStorage g_storage = {&kStorageSlots};

// --- Executive slots ----------------------------------------------------------------

void WINAPI ExecutiveRelease(NorvExecutive*) { Journal("Release executive"); }

void WINAPI GetFileStorage(NorvExecutive*, NorvFileStorage** storage) {
  Journal("GetFileStorage");
  *storage = &g_storage;
}

int WINAPI InitFileStorage(NorvExecutive*, const char* moduleName, int a, int b, int c, int d, int e, int f) {
  char line[512];
  std::snprintf(line, sizeof(line), "InitFileStorage %s %d %d %d %d %d %d", moduleName, a, b, c, d, e, f);
  Journal(line);
  return g_control.failInit ? 0 : 1;
}

const NorvExecutiveSlots kExecutiveSlots = {nullptr, nullptr, ExecutiveRelease, nullptr, nullptr, nullptr,
                                            nullptr, GetFileStorage, nullptr, nullptr, InitFileStorage};
NorvExecutive g_executive = {&kExecutiveSlots};

}  // namespace

extern "C" int WINAPI DllCreateInstance(NorvExecutive** executive) {
  char folder[MAX_PATH] = {};
  GetCurrentDirectoryA(sizeof(folder), folder);
  g_folder = folder;
  ReadControl();
  Journal("DllCreateInstance");
  *executive = &g_executive;
  return 0;
}
