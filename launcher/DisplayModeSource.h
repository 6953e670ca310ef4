// Where the launch options get the display modes from: the primary display's list
// of modes and its current mode. The system enumerator is cSystemDisplayModes;
// tests put a fixed list in its place.
#pragma once

#include <windows.h>

class cDisplayModeSource {
public:
  virtual ~cDisplayModeSource() = default;
  // Mode number index of the primary display into mode (dmSize set by the caller).
  // False when there is no such mode; the enumeration ends at the first false.
  virtual bool GetMode(DWORD index, DEVMODEA* mode) = 0;
  // The primary display's current settings. False when they cannot be read.
  virtual bool GetCurrentMode(DEVMODEA* mode) = 0;
};
