#include "patch/PackStorage.h"

#include "patch/GraphicsModule.h"

namespace {

const char kExecutiveModule[] = "NorvExecutiveForQel.dll";
const char kStorageModule[] = "NorvFileStorage.dll";

}  // namespace

cPackStorage::~cPackStorage() { ReleasePackStorage(); }

int cPackStorage::OpenPackStorage() {
  SelectGraphicsModule();
  m_module = LoadLibraryA(kExecutiveModule);
  if (!m_module) return 0;
  FARPROC proc = GetProcAddress(m_module, "DllCreateInstance");
  if (!proc) return 0;
  // GetProcAddress returns a generic function pointer; the export's real type is known.
  DllCreateInstanceFn create = reinterpret_cast<DllCreateInstanceFn>(reinterpret_cast<void*>(proc));
  NorvExecutive* executive = nullptr;
  if (create(&executive) != 0 || !executive) return 0;
  m_executive = executive;
  return m_executive->slots->InitFileStorage(m_executive, kStorageModule, 20000, 4096, 128, 2, 0, 0) != 0 ? 1 : 0;
}

void cPackStorage::ReleasePackStorage() {
  if (m_executive) {
    m_executive->slots->Release(m_executive);
    m_executive = nullptr;
  }
  if (m_module) {
    FreeLibrary(m_module);
    m_module = nullptr;
  }
}
