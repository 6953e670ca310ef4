// The game engine's pack storage for one pack update: selects the graphics module,
// loads "NorvExecutiveForQel.dll", creates its executive and initialises the file
// storage. The destructor releases the executive and unloads the module.
#pragma once

#include "patch/PackStorageSlots.h"

#include <windows.h>

class cPackStorage {
public:
  cPackStorage() = default;
  ~cPackStorage();
  cPackStorage(const cPackStorage&) = delete;
  cPackStorage& operator=(const cPackStorage&) = delete;

  // 1 when the executive is ready and its file storage initialised, else 0.
  int OpenPackStorage();
  // Releases the executive and unloads the module, as far as they were obtained.
  void ReleasePackStorage();
  // The executive; null until OpenPackStorage got it.
  NorvExecutive* Executive() const { return m_executive; }

private:
  HMODULE m_module = nullptr;
  NorvExecutive* m_executive = nullptr;
};
