// The finisher's work: moves each delivered ".new" file over its target and starts
// the launcher again.
#pragma once

// How often the delete of a target that is in use is tried, 500 ms apart: about 20
// seconds, far longer than a launcher takes to end. After that the ".new" file stays
// for the next hand-over and the launcher is started anyway.
const int SWAP_DELETE_ATTEMPTS = 40;
const unsigned SWAP_RETRY_MS = 500;

// Replaces "KQAutoPatch.exe" by "KQAutoPatch.new" and "NorvGFunc.dll" by
// "NorvGFunc.new" (each pair only when its new file exists), waits 500 ms and starts
// "KQAutoPatch.exe" with commandLine, which is passed whole.
void SwapUpdatedFiles(const char* commandLine);
