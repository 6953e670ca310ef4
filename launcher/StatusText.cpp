#include "launcher/StatusText.h"

#include <cstdio>

namespace {

const int FIRST_STEP_LINE = 6;   // PatchMsg line of step 0
const int LAST_STEP = 4;         // the finished step
const size_t STATUS_TEXT_MAX = 127;
const size_t MESSAGE_TEXT_MAX = 1023;

// Error codes: 0 to 5 take ErrorMsg lines 0 to 5; the others are listed here.
const unsigned LAST_LINE_ERROR = 5;
const unsigned ERR_WRITE_VERSION = 6;
const unsigned ERR_TOO_OLD = 7;
const unsigned ERR_INIT = 8;
const int TOO_OLD_LINE = 6;  // ErrorMsg line of the too-old error

float Megabytes(unsigned bytes) { return (float)bytes / 1024.0f / 1024.0f; }

}  // namespace

std::string StepStatusText(const cLanguageTexts& texts, int step) {
  if (step < 0 || step > LAST_STEP) {
    return std::string();
  }
  return std::string(texts.GetPatchMsg(FIRST_STEP_LINE + step)).substr(0, STATUS_TEXT_MAX);
}

float ProgressFraction(unsigned value, unsigned total) {
  if (total == 0) {
    return 0.0f;
  }
  return (float)((double)value / (double)total);
}

std::string FormatDownloadText(unsigned total, unsigned done, const char* name) {
  if (total == 0) {
    return std::string();
  }
  char text[MESSAGE_TEXT_MAX + 1];
  if (name != nullptr) {
    snprintf(text, sizeof(text), "%s %.2f MB / %.2f MB", name, Megabytes(done), Megabytes(total));
  } else {
    snprintf(text, sizeof(text), "%.2f MB / %.2f MB", Megabytes(done), Megabytes(total));
  }
  return text;
}

// The language line is copied, never used as a format, so a "%" in it is shown as is.
std::string PatchErrorText(const cLanguageTexts& texts, unsigned code) {
  std::string text;
  if (code <= LAST_LINE_ERROR) {
    text = texts.GetErrorMsg((int)code);
  } else if (code == ERR_WRITE_VERSION) {
    text = "Fail to write the version file.";
  } else if (code == ERR_TOO_OLD) {
    text = texts.GetErrorMsg(TOO_OLD_LINE);
  } else if (code == ERR_INIT) {
    text = "Initialize  Error.";
  } else {
    text = "Unknown Error";
  }
  return text.substr(0, MESSAGE_TEXT_MAX);
}
