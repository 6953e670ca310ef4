// Stand-in for the game engine's executive module "NorvExecutiveForQel.dll" and its
// file storage: the slots the launcher uses, a pack format of our own (README.md),
// a journal of every call and failures on demand. The journal and the control file
// live in the folder that was current when DllCreateInstance ran (the game folder),
// because the launcher changes the current directory while it works.
//
// The interface tables are declared here on their own, as the engine's vendor would
// ship them, not taken from the launcher's header: each slot is a __stdcall function
// with its own argument list, so a launcher that calls the wrong slot, passes another
// number of arguments or uses another calling convention upsets the 32-bit stack and
// fails its test. Slots the launcher must not call end the process with a journal line.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

// An interface object as the engine hands it out: a pointer to its table of slots.
struct Interface {
  void* const* table;
};

typedef int(__stdcall* ProgressFn)(int done, int total, int extra);

const int kStorageSlotCount = 14;
const int kExecutiveSlotCount = 11;
const int kExitUnexpectedSlot = 4;

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
bool WritePack(Pack& pack, ProgressFn progress) {
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

Interface g_storage;
Interface g_executive;

// A call whose object is not the one this module handed out means the caller's
// arguments are shifted: journal it and end, the stack can no longer be trusted.
void CheckSelf(const Interface* self, const Interface* expected, const char* slot) {
  if (self == expected) return;
  Journal(std::string("wrong object for ") + slot);
  TerminateProcess(GetCurrentProcess(), kExitUnexpectedSlot);
}

void __stdcall StorageRelease(Interface* self) {
  CheckSelf(self, &g_storage, "Release storage");
  Journal("Release storage");
}

void* __stdcall OpenPack(Interface* self, const char* packName) {
  CheckSelf(self, &g_storage, "OpenPack");
  Journal(std::string("OpenPack ") + packName);
  if (g_control.failOpen) return nullptr;
  Pack* pack = new Pack;
  pack->name = packName;
  pack->path = InFolder(packName);
  pack->stem = pack->name.size() > 4 ? pack->name.substr(0, pack->name.size() - 4) : pack->name;
  return pack;
}

void __stdcall ClosePack(Interface* self, void* handle) {
  CheckSelf(self, &g_storage, "ClosePack");
  Pack* pack = static_cast<Pack*>(handle);
  Journal("ClosePack " + pack->name);
  delete pack;
}

int __stdcall BeginUpdate(Interface* self, void* handle, int mode) {
  CheckSelf(self, &g_storage, "BeginUpdate");
  Pack* pack = static_cast<Pack*>(handle);
  Journal("BeginUpdate " + pack->name + " " + std::to_string(mode));
  if (g_control.failBegin || !ReadExistingPack(*pack)) return 0;
  pack->updating = true;
  return 1;
}

int __stdcall AddFile(Interface* self, void* handle, const char* path) {
  CheckSelf(self, &g_storage, "AddFile");
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

int __stdcall CommitPack(Interface* self, void* handle, ProgressFn progress) {
  CheckSelf(self, &g_storage, "CommitPack");
  Pack* pack = static_cast<Pack*>(handle);
  Journal("CommitPack " + pack->name);
  if (g_control.failCommit || !pack->updating) return 0;
  return WritePack(*pack, progress) ? 1 : 0;
}

// --- Executive slots ----------------------------------------------------------------

void __stdcall ExecutiveRelease(Interface* self) {
  CheckSelf(self, &g_executive, "Release executive");
  Journal("Release executive");
}

void __stdcall GetFileStorage(Interface* self, Interface** storage) {
  CheckSelf(self, &g_executive, "GetFileStorage");
  Journal("GetFileStorage");
  *storage = &g_storage;
}

int __stdcall InitFileStorage(Interface* self, const char* moduleName, int a, int b, int c, int d, int e,
                              int f) {
  CheckSelf(self, &g_executive, "InitFileStorage");
  char line[512];
  std::snprintf(line, sizeof(line), "InitFileStorage %s %d %d %d %d %d %d", moduleName, a, b, c, d, e, f);
  Journal(line);
  return g_control.failInit ? 0 : 1;
}

// A slot the launcher has no business calling: never returns, so its arguments do
// not matter.
template <int Slot>
void __stdcall UnexpectedStorageSlot() {
  Journal("unexpected storage slot " + std::to_string(Slot));
  TerminateProcess(GetCurrentProcess(), kExitUnexpectedSlot);
}

template <int Slot>
void __stdcall UnexpectedExecutiveSlot() {
  Journal("unexpected executive slot " + std::to_string(Slot));
  TerminateProcess(GetCurrentProcess(), kExitUnexpectedSlot);
}

// A function of any signature as a table entry.
template <typename F>
void* Slot(F function) {
  return reinterpret_cast<void*>(function);
}

void* const kStorageTable[kStorageSlotCount] = {
    Slot(UnexpectedStorageSlot<0>), Slot(UnexpectedStorageSlot<1>), Slot(StorageRelease),
    Slot(UnexpectedStorageSlot<3>), Slot(OpenPack),                 Slot(ClosePack),
    Slot(UnexpectedStorageSlot<6>), Slot(UnexpectedStorageSlot<7>), Slot(UnexpectedStorageSlot<8>),
    Slot(UnexpectedStorageSlot<9>), Slot(BeginUpdate),              Slot(AddFile),
    Slot(UnexpectedStorageSlot<12>), Slot(CommitPack)};

void* const kExecutiveTable[kExecutiveSlotCount] = {
    Slot(UnexpectedExecutiveSlot<0>), Slot(UnexpectedExecutiveSlot<1>), Slot(ExecutiveRelease),
    Slot(UnexpectedExecutiveSlot<3>), Slot(UnexpectedExecutiveSlot<4>), Slot(UnexpectedExecutiveSlot<5>),
    Slot(UnexpectedExecutiveSlot<6>), Slot(GetFileStorage),             Slot(UnexpectedExecutiveSlot<8>),
    Slot(UnexpectedExecutiveSlot<9>), Slot(InitFileStorage)};

}  // namespace

// The export's calling convention is a build choice (KQ_STANDIN_CDECL_EXPORT), so that
// tests can show the launcher calls it correctly either way.
#if defined(KQ_STANDIN_CDECL_EXPORT)
#define KQ_EXPORT_CALL __cdecl
#else
#define KQ_EXPORT_CALL __stdcall
#endif

extern "C" int KQ_EXPORT_CALL DllCreateInstance(Interface** executive) {
  char folder[MAX_PATH] = {};
  GetCurrentDirectoryA(sizeof(folder), folder);
  g_folder = folder;
  g_storage.table = kStorageTable;
  g_executive.table = kExecutiveTable;
  ReadControl();
  Journal("DllCreateInstance");
  *executive = &g_executive;
  return 0;
}
