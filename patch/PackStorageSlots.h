// The two interfaces of the game engine's executive module as the engine calls them:
// tables of operations that take the object as their first argument, with the
// standard Windows calling convention. Only the slots the engine uses are typed; the
// others keep their place.
#pragma once

#include <windows.h>

#include <cstddef>

// Progress callback of CommitPack: returns 0 to continue, 1 to ask for a stop.
typedef int(WINAPI* PackProgressFn)(int done, int total, int extra);

struct NorvFileStorage;
struct NorvExecutive;

typedef void* PackHandle;

struct NorvFileStorageSlots {
  void* slot0;
  void* slot1;
  void(WINAPI* Release)(NorvFileStorage* self);
  void* slot3;
  PackHandle(WINAPI* OpenPack)(NorvFileStorage* self, const char* packName);
  void(WINAPI* ClosePack)(NorvFileStorage* self, PackHandle pack);
  void* slot6;
  void* slot7;
  void* slot8;
  void* slot9;
  int(WINAPI* BeginUpdate)(NorvFileStorage* self, PackHandle pack, int mode);
  int(WINAPI* AddFile)(NorvFileStorage* self, PackHandle pack, const char* path);
  void* slot12;
  int(WINAPI* CommitPack)(NorvFileStorage* self, PackHandle pack, PackProgressFn progress);
};

struct NorvFileStorage {
  const NorvFileStorageSlots* slots;
};

struct NorvExecutiveSlots {
  void* slot0;
  void* slot1;
  void(WINAPI* Release)(NorvExecutive* self);
  void* slot3;
  void* slot4;
  void* slot5;
  void* slot6;
  void(WINAPI* GetFileStorage)(NorvExecutive* self, NorvFileStorage** storage);
  void* slot8;
  void* slot9;
  int(WINAPI* InitFileStorage)(NorvExecutive* self, const char* moduleName, int a, int b, int c, int d, int e,
                               int f);
};

struct NorvExecutive {
  const NorvExecutiveSlots* slots;
};

// The executive module's export: fills *executive and returns 0 on success.
typedef int(WINAPI* DllCreateInstanceFn)(NorvExecutive** executive);

static_assert(offsetof(NorvExecutiveSlots, Release) == 2 * sizeof(void*), "executive slot 2");
static_assert(offsetof(NorvExecutiveSlots, GetFileStorage) == 7 * sizeof(void*), "executive slot 7");
static_assert(offsetof(NorvExecutiveSlots, InitFileStorage) == 10 * sizeof(void*), "executive slot 10");
static_assert(offsetof(NorvFileStorageSlots, Release) == 2 * sizeof(void*), "storage slot 2");
static_assert(offsetof(NorvFileStorageSlots, OpenPack) == 4 * sizeof(void*), "storage slot 4");
static_assert(offsetof(NorvFileStorageSlots, ClosePack) == 5 * sizeof(void*), "storage slot 5");
static_assert(offsetof(NorvFileStorageSlots, BeginUpdate) == 10 * sizeof(void*), "storage slot 10");
static_assert(offsetof(NorvFileStorageSlots, AddFile) == 11 * sizeof(void*), "storage slot 11");
static_assert(offsetof(NorvFileStorageSlots, CommitPack) == 13 * sizeof(void*), "storage slot 13");
