#include "patch/PackStorage.h"

#include "patch/GraphicsModule.h"

namespace {

const char kExecutiveModule[] = "NorvExecutiveForQel.dll";
const char kStorageModule[] = "NorvFileStorage.dll";

#if defined(_M_IX86) || defined(__i386__)
// Calls fn(arg) and puts the stack pointer back from the frame afterwards, so the
// call is right whether the export pops its argument (standard Windows convention)
// or leaves it to the caller (C convention). Both preserve EBP.
extern "C" __attribute__((naked)) int __cdecl CallKeepingStack(void* /*fn*/, void* /*arg*/) {
  asm volatile(
      "push %ebp\n\t"
      "mov %esp, %ebp\n\t"
      "pushl 12(%ebp)\n\t"
      "call *8(%ebp)\n\t"
      "mov %ebp, %esp\n\t"
      "pop %ebp\n\t"
      "ret");
}
#endif

// DllCreateInstance(&executive): 0 on success. The engine's documentation does not
// say which calling convention the export has; on x64 there is only one.
int CallCreateInstance(FARPROC proc, NorvExecutive** executive) {
  void* fn = reinterpret_cast<void*>(proc);
#if defined(_M_IX86) || defined(__i386__)
  return CallKeepingStack(fn, executive);
#else
  return reinterpret_cast<DllCreateInstanceFn>(fn)(executive);
#endif
}

}  // namespace

cPackStorage::~cPackStorage() { ReleasePackStorage(); }

int cPackStorage::OpenPackStorage() {
  SelectGraphicsModule();
  m_module = LoadLibraryA(kExecutiveModule);
  if (!m_module) return 0;
  FARPROC proc = GetProcAddress(m_module, "DllCreateInstance");
  if (!proc) return 0;
  NorvExecutive* executive = nullptr;
  if (CallCreateInstance(proc, &executive) != 0 || !executive) return 0;
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
