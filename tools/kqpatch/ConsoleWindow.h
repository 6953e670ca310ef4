// The patch engine's window as console output: one line per step, a progress line
// whenever the percentage changes, the download text and the version.
#pragma once

#include "patch/PatchWindow.h"

#include <cstdio>
#include <string>

class cConsoleWindow : public cPatchWindow {
public:
  explicit cConsoleWindow(FILE* out) : m_out(out) {}

  void SetPatchStep(int step, unsigned total) override;
  void SetPatchProgress(const char* name, unsigned value) override;
  void SetDownloadText(unsigned total, unsigned done, const char* name) override;
  void SetVersionText(const char* version) override;
  void RedrawVersionArea() override {}
  void OnPatchFinished(bool finished) override { m_finished = finished; }

  bool Finished() const { return m_finished; }
  // The last version shown ("" before the version file was read).
  const std::string& Version() const { return m_version; }

private:
  FILE* m_out;
  int m_step = -1;
  unsigned m_total = 0;
  int m_percent = -1;
  bool m_finished = false;
  std::string m_version;
};
