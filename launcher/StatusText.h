// The texts and the bar fraction that the main window shows for the patch engine's
// progress and errors. Pure functions of their arguments and the language texts.
#pragma once

#include "launcher/LanguageTexts.h"

#include <string>

// The status line of a progress step: PatchMsg line 6 + step for steps 0 to 4, empty
// for any other step; at most 127 characters.
std::string StepStatusText(const cLanguageTexts& texts, int step);

// value / total as a float, 0 when total is 0; above 1 when value exceeds total.
float ProgressFraction(unsigned value, unsigned total);

// The data line: "name done MB / total MB" with two decimals, without the name when
// it is null; empty when total is 0. At most 1023 characters.
std::string FormatDownloadText(unsigned total, unsigned done, const char* name);

// The message of an engine error code: an ErrorMsg line (taken as it stands), one
// of two fixed texts, or "Unknown Error". At most 1023 characters; empty when the
// language line is empty.
std::string PatchErrorText(const cLanguageTexts& texts, unsigned code);
