// The graphics-function module: the game folder holds a build for processors with SSE
// and one without; the generic name holds a copy of the build that suits this one.
#pragma once

// 1 when the processor and the system execute SSE instructions, else 0. The test is
// the attempt to run one, under an exception guard.
int HasSSE();
// The guard of that test: runs probe, a function whose one possibly faulting
// instruction is 3 bytes long. 1 when it ran without an exception; 0 when the guard
// caught one, skipped the instruction and let the probe finish.
int RunGuardedProbe(void (*probe)());
// Copies "NorvGFuncSSE.dll" or "NorvGFuncN.dll" over "NorvGFunc.dll"; always 1. A
// missing build leaves "NorvGFunc.dll" as it was.
int SelectGraphicsModule();
// True when name (an archive entry's name) is one of the two builds at the game
// folder's top, in any case.
bool IsGraphicsModuleBuild(const char* name);
// Hands the build for this processor to the update finisher: copies it to
// "NorvGFunc.new", which the finisher moves over "NorvGFunc.dll" once the launcher
// has ended. 1 when copied or when this processor's build is missing (nothing to hand
// over), 0 when the copy failed.
int StageGraphicsModule();
