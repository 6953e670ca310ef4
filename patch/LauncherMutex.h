// The launcher's single-instance mutex of the game folder, named after the current
// directory with every backslash replaced by ">". The launcher holds it for its whole
// life; the update finisher looks for it to know that the old launcher has ended.
#pragma once

#include <cstddef>

// Writes the folder mutex name for the current directory into out; false when the
// directory does not fit (size bytes with the terminator) or cannot be read.
bool MakeFolderMutexName(char* out, size_t size);
// True while a launcher runs from the current directory (its folder mutex exists).
bool IsLauncherRunningHere();
