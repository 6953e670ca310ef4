// The external patcher "KQAuthPatch.exe", which must end before the worker starts.
#pragma once

#include "net/WinHandle.h"

// Looks through the running processes for the first one named "KQAuthPatch.exe"
// (ignoring case) and opens it with full access into found; found stays empty when
// there is none or it cannot be opened. False when the process list cannot be read.
bool FindAuthPatchProcess(WinHandle& found);
