#include "tools/kqpatch/ConsoleWindow.h"

#include "patch/PatchMessages.h"

namespace {

const char* StepText(int step) {
  switch (step) {
    case PATCH_STEP_VERSION: return "checking the version";
    case PATCH_STEP_DOWNLOAD: return "downloading the patch";
    case PATCH_STEP_EXTRACT: return "unpacking the patch";
    case PATCH_STEP_PACK: return "updating the pack files";
    case PATCH_STEP_DONE: return "done";
  }
  return "working";
}

double Megabytes(unsigned bytes) { return bytes / (1024.0 * 1024.0); }

}  // namespace

void cConsoleWindow::SetPatchStep(int step, unsigned total) {
  if (step == m_step && total == m_total) return;
  // A step that only learns its total keeps its line.
  if (step != m_step) std::fprintf(m_out, "step %d: %s\n", step, StepText(step));
  m_step = step;
  m_total = total;
  m_percent = -1;
  std::fflush(m_out);
}

void cConsoleWindow::SetPatchProgress(const char*, unsigned value) {
  if (m_total == 0) return;
  int percent = static_cast<int>(static_cast<unsigned long long>(value) * 100 / m_total);
  if (percent == m_percent) return;
  m_percent = percent;
  std::fprintf(m_out, "progress %d%%\n", percent);
  std::fflush(m_out);
}

void cConsoleWindow::SetDownloadText(unsigned total, unsigned done, const char* name) {
  if (total == 0) return;
  std::fprintf(m_out, "%s %.2f MB / %.2f MB\n", name ? name : "", Megabytes(done), Megabytes(total));
  std::fflush(m_out);
}

void cConsoleWindow::SetVersionText(const char* version) {
  m_version = version;
  std::fprintf(m_out, "version %s\n", version);
  std::fflush(m_out);
}
