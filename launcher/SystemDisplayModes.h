// The primary display's modes as the system reports them (EnumDisplaySettingsA).
#pragma once

#include "launcher/DisplayModeSource.h"

class cSystemDisplayModes : public cDisplayModeSource {
public:
  bool GetMode(DWORD index, DEVMODEA* mode) override;
  bool GetCurrentMode(DEVMODEA* mode) override;
};
