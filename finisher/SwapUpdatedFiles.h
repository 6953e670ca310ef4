// The finisher's work: moves each delivered ".new" file over its target and starts
// the launcher again.
#pragma once

// How often the replacement of a target is tried, 500 ms apart: about 20 seconds.
// The finisher only starts once the old launcher has ended, so a target that stays
// in use that long is held by something else.
const int SWAP_REPLACE_ATTEMPTS = 40;
const unsigned SWAP_RETRY_MS = 500;

// The box the player sees when a delivered file could not be swapped in; the ".new"
// file stays, and the next start of the launcher hands over again.
extern const char SWAP_FAILED_CAPTION[];  // "KQ Patcher"
extern const char SWAP_FAILED_FORMAT[];   // with the file that could not be replaced

// Replaces "KQAutoPatch.exe" by "KQAutoPatch.new" and "NorvGFunc.dll" by
// "NorvGFunc.new" (each pair only when its new file exists), each in one move, so a
// target is never missing; then waits 500 ms and starts "KQAutoPatch.exe" with
// commandLine, which is passed whole. When a target cannot be replaced within the
// attempts, the launcher is not started (it would only hand over again, for ever):
// the player is told in a box instead. Returns true when the launcher was started.
bool SwapUpdatedFiles(const char* commandLine);
