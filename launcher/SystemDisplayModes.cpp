#include "launcher/SystemDisplayModes.h"

bool cSystemDisplayModes::GetMode(DWORD index, DEVMODEA* mode) {
  return EnumDisplaySettingsA(nullptr, index, mode) != FALSE;
}

bool cSystemDisplayModes::GetCurrentMode(DEVMODEA* mode) {
  return EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, mode) != FALSE;
}
