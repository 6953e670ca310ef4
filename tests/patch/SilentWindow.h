// A window for engine runs that nobody watches: every call is ignored.
#pragma once

#include "patch/PatchWindow.h"

class SilentWindow : public cPatchWindow {
public:
  void SetPatchStep(int, unsigned) override {}
  void SetPatchProgress(const char*, unsigned) override {}
  void SetDownloadText(unsigned, unsigned, const char*) override {}
  void SetVersionText(const char*) override {}
  void RedrawVersionArea() override {}
  void OnPatchFinished(bool) override {}
};
