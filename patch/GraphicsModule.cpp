// The processor test runs one SSE instruction and watches for the fault a processor
// or system without SSE raises. MinGW has no __try, so the guard is a vectored
// exception handler registered around the probe: it accepts a fault only while this
// thread runs the probe, notes it and resumes after the 3-byte instruction. It works
// the same in the 32-bit and the 64-bit build; no CPUID is used, the attempt is the test.
#include "patch/GraphicsModule.h"

#include <windows.h>

namespace {

// Set while this thread runs the probe; the handler accepts only exceptions raised
// then, so other threads' faults keep their normal handling.
thread_local bool t_probing = false;
thread_local bool t_faulted = false;

// The length of the probe instruction "xorps xmm0, xmm0" (0F 57 C0).
const DWORD kProbeLength = 3;

// MinGW has no __try: a vectored handler catches the fault of the probe, notes it
// and resumes after the instruction.
LONG CALLBACK ProbeHandler(EXCEPTION_POINTERS* exception) {
  if (!t_probing) return EXCEPTION_CONTINUE_SEARCH;
  t_faulted = true;
#if defined(_WIN64)
  exception->ContextRecord->Rip += kProbeLength;
#else
  exception->ContextRecord->Eip += kProbeLength;
#endif
  return EXCEPTION_CONTINUE_EXECUTION;
}

// Built for SSE whatever the target, so that the probe may name an SSE register.
__attribute__((noinline, target("sse"))) void SseProbe() {
  asm volatile(".byte 0x0f, 0x57, 0xc0" ::: "xmm0", "memory");
}

const char kBuildSSE[] = "NorvGFuncSSE.dll";
const char kBuildN[] = "NorvGFuncN.dll";

}  // namespace

int RunGuardedProbe(void (*probe)()) {
  PVOID handler = AddVectoredExceptionHandler(1, ProbeHandler);
  if (!handler) return 0;
  t_faulted = false;
  t_probing = true;
  probe();
  t_probing = false;
  RemoveVectoredExceptionHandler(handler);
  return t_faulted ? 0 : 1;
}

int HasSSE() { return RunGuardedProbe(SseProbe); }

// The build that suits this processor.
static const char* BuildForThisProcessor() { return HasSSE() == 1 ? kBuildSSE : kBuildN; }

int SelectGraphicsModule() {
  CopyFileA(BuildForThisProcessor(), "NorvGFunc.dll", FALSE);
  return 1;
}

bool IsGraphicsModuleBuild(const char* name) {
  return lstrcmpiA(name, kBuildSSE) == 0 || lstrcmpiA(name, kBuildN) == 0;
}

int StageGraphicsModule() {
  const char* build = BuildForThisProcessor();
  if (GetFileAttributesA(build) == INVALID_FILE_ATTRIBUTES) return 1;
  return CopyFileA(build, "NorvGFunc.new", FALSE) ? 1 : 0;
}
