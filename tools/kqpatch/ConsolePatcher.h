// The patch engine for the console: message boxes become lines on stderr.
#pragma once

#include "patch/Patcher.h"

class cConsolePatcher : public cPatcher {
public:
  explicit cConsolePatcher(cPatchWindow* window) : cPatcher(window) {}

protected:
  void ShowMessageBox(HWND owner, const char* text, const char* caption, UINT type) override;
};
