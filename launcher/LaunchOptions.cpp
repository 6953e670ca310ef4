#include "launcher/LaunchOptions.h"

#include "launcher/TextInput.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

// Ranges of the mode values in the option file, ends included, read as unsigned.
const DWORD MIN_WIDTH = 800, MAX_WIDTH = 4096;
const DWORD MIN_HEIGHT = 600, MAX_HEIGHT = 4096;
const DWORD MIN_BITS = 16, MAX_BITS = 32;
// Any rate a display reports: 0 and 1 stand for its default, and a television
// runs at 50 Hz, a laptop panel often at 59. The window-size entry takes the
// desktop's rate, so the file holds whatever the desktop runs at: only the top is
// bounded.
const DWORD MAX_RATE = 1000;

// What a display mode needs to be listed.
const DWORD LIST_BITS = 32;
const DWORD LIST_MIN_RATE = 60;
const DWORD LIST_MIN_WIDTH = 800;
const DWORD LIST_MIN_HEIGHT = 600;

// The size of the game's window in windowed mode.
const DWORD WINDOW_WIDTH = 1024;
const DWORD WINDOW_HEIGHT = 710;

// The option file is a few dozen bytes; what lies beyond this is not looked at.
const size_t OPTION_FILE_LIMIT = 4096;

DEVMODEA EmptyMode() {
  DEVMODEA mode;
  memset(&mode, 0, sizeof(mode));
  mode.dmSize = sizeof(mode);
  return mode;
}

bool InRange(DWORD value, DWORD low, DWORD high) { return value >= low && value <= high; }

bool SameResolution(const DEVMODEA& a, const DEVMODEA& b) {
  return a.dmPelsWidth == b.dmPelsWidth && a.dmPelsHeight == b.dmPelsHeight;
}

// Equal width fits, equal height does not: the window needs room for its frame.
bool FitsInside(const DEVMODEA& mode, const DEVMODEA& desktop) {
  return mode.dmPelsWidth <= desktop.dmPelsWidth && mode.dmPelsHeight < desktop.dmPelsHeight;
}

bool IsListable(const DEVMODEA& mode) {
  return mode.dmBitsPerPel == LIST_BITS && mode.dmDisplayFrequency >= LIST_MIN_RATE &&
         mode.dmPelsWidth >= LIST_MIN_WIDTH && mode.dmPelsHeight >= LIST_MIN_HEIGHT;
}

// Reads the count numbers of the file's text into values; false when one is missing.
bool ReadNumbers(const std::string& text, int32_t* values, int count) {
  const char* pos = text.c_str();
  for (int i = 0; i < count; ++i) {
    pos = ReadDecimal(pos, &values[i]);
    if (pos == nullptr) {
      return false;
    }
  }
  return true;
}

}  // namespace

cLaunchOptions::cLaunchOptions(cDisplayModeSource& modes, const char* path)
    : m_modes(modes),
      m_path(path != nullptr ? path : ""),
      m_bWindowed(0),
      m_optionMode(EmptyMode()),
      m_nDisplayModes(0),
      m_desktopMode(EmptyMode()),
      m_nDesktopModeIndex(-1),
      m_windowModeTemplate(EmptyMode()),
      m_nWindowModeIndex(-1) {
  for (DEVMODEA& entry : m_displayModes) {
    entry = EmptyMode();
  }
}

void cLaunchOptions::ReadCurrentMode(DEVMODEA& mode) {
  mode = EmptyMode();
  if (!m_modes.GetCurrentMode(&mode)) {
    mode = EmptyMode();
  }
}

// The file holds the mark, then the windowed flag, width, height, bits per pixel and
// refresh rate; a file with a value missing is not valid.
int cLaunchOptions::ReadLaunchOptions() {
  FilePtr file(fopen(m_path.c_str(), "rb"));
  std::string text;
  int32_t values[6] = {};
  if (file && ReadFileText(file.get(), OPTION_FILE_LIMIT, &text) && ReadNumbers(text, values, 6) &&
      values[0] == OPTION_FILE_MARK) {
    DWORD width = (DWORD)values[2], height = (DWORD)values[3];
    DWORD bits = (DWORD)values[4], rate = (DWORD)values[5];
    if (InRange(width, MIN_WIDTH, MAX_WIDTH) && InRange(height, MIN_HEIGHT, MAX_HEIGHT) &&
        InRange(bits, MIN_BITS, MAX_BITS) && rate <= MAX_RATE) {
      m_bWindowed = values[1];
      m_optionMode.dmPelsWidth = width;
      m_optionMode.dmPelsHeight = height;
      m_optionMode.dmBitsPerPel = bits;
      m_optionMode.dmDisplayFrequency = rate;
      return 1;
    }
  }
  m_bWindowed = 0;
  ReadCurrentMode(m_optionMode);
  return 0;
}

void cLaunchOptions::BuildDisplayModeList(cLaunchOptionControls& controls) {
  ReadCurrentMode(m_desktopMode);
  m_nDesktopModeIndex = -1;
  m_windowModeTemplate = m_desktopMode;
  m_windowModeTemplate.dmPelsWidth = WINDOW_WIDTH;
  m_windowModeTemplate.dmPelsHeight = WINDOW_HEIGHT;
  m_nWindowModeIndex = -1;

  controls.ResetModeList();
  for (DEVMODEA& entry : m_displayModes) {
    entry = EmptyMode();
  }
  m_nDisplayModes = 0;

  DEVMODEA mode = EmptyMode();
  for (DWORD i = 0; m_modes.GetMode(i, &mode); ++i) {
    AddDisplayMode(mode, controls);
    mode = EmptyMode();
  }
  m_nWindowModeIndex = AppendDisplayMode(m_windowModeTemplate, controls);

  int saved = FindDisplayMode(m_optionMode);
  if (saved < 0) {
    return;
  }
  controls.SelectMode(saved);
  if (m_bWindowed != 0 && saved == m_nDesktopModeIndex) {
    SetWindowed(false, controls);
  }
}

// Each resolution is listed once, in the order the system first reports it, with the
// refresh rate of its first mode unless a mode at the desktop's rate exists for it.
// The last entry is kept for the window size, so resolutions beyond 255 are left out.
void cLaunchOptions::AddDisplayMode(const DEVMODEA& mode, cLaunchOptionControls& controls) {
  if (!IsListable(mode)) {
    return;
  }
  int found = FindDisplayMode(mode);
  if (found >= 0) {
    if (mode.dmDisplayFrequency == m_desktopMode.dmDisplayFrequency) {
      m_displayModes[found] = mode;
    }
    return;
  }
  if (m_nDisplayModes >= MAX_DISPLAY_MODES - 1) {
    return;
  }
  int index = AppendDisplayMode(mode, controls);
  if (SameResolution(mode, m_desktopMode)) {
    m_nDesktopModeIndex = index;
  }
}

int cLaunchOptions::AppendDisplayMode(const DEVMODEA& mode, cLaunchOptionControls& controls) {
  int index = m_nDisplayModes;
  m_displayModes[index] = mode;
  char text[64];
  snprintf(text, sizeof(text), " %4d X %4d", (int)mode.dmPelsWidth, (int)mode.dmPelsHeight);
  controls.InsertMode(index, text);
  ++m_nDisplayModes;
  return index;
}

int cLaunchOptions::FindDisplayMode(const DEVMODEA& mode) const {
  for (int i = 0; i < m_nDisplayModes; ++i) {
    if (SameResolution(m_displayModes[i], mode)) {
      return i;
    }
  }
  return -1;
}

// Among the entries that fit inside the desktop, walks the list and takes an entry
// when it is at least as wide and at least as high as the one taken before; so an
// entry wider but lower (or higher but narrower) than the current pick is passed over.
int cLaunchOptions::FindBestWindowedMode(const DEVMODEA& desktop) const {
  int best = -1;
  DWORD bestWidth = 0, bestHeight = 0;
  for (int i = 0; i < m_nDisplayModes; ++i) {
    const DEVMODEA& entry = m_displayModes[i];
    if (FitsInside(entry, desktop) && entry.dmPelsWidth >= bestWidth && entry.dmPelsHeight >= bestHeight) {
      best = i;
      bestWidth = entry.dmPelsWidth;
      bestHeight = entry.dmPelsHeight;
    }
  }
  return best;
}

void cLaunchOptions::OnFullButton(cLaunchOptionControls& controls) {
  m_bWindowed = m_bWindowed == 0 ? 1 : 0;
  int sel = controls.GetModeSelection();
  if (!IsListed(sel)) {
    return;
  }
  if (m_bWindowed != 0) {
    if (sel == m_nDesktopModeIndex || !FitsInside(m_displayModes[sel], m_desktopMode)) {
      int best = FindBestWindowedMode(m_desktopMode);
      if (best != -1) {
        controls.SelectMode(best);
      }
    }
  } else if (sel != m_nDesktopModeIndex) {
    controls.SelectMode(m_nDesktopModeIndex);
  }
}

// A mode that cannot be a window (the desktop's own size, or one that does not fit)
// means full screen; the window-size entry means windowed. The toggle is touched
// only when the flag ends up changed.
void cLaunchOptions::OnResolutionChange(cLaunchOptionControls& controls) {
  int sel = controls.GetModeSelection();
  if (!IsListed(sel)) {
    return;
  }
  bool windowed = m_bWindowed != 0;
  if (windowed && (sel == m_nDesktopModeIndex || !FitsInside(m_displayModes[sel], m_desktopMode))) {
    windowed = false;
  }
  if (!windowed && sel == m_nWindowModeIndex) {
    windowed = true;
  }
  if (windowed != (m_bWindowed != 0)) {
    SetWindowed(windowed, controls);
  }
}

void cLaunchOptions::SetWindowed(bool windowed, cLaunchOptionControls& controls) {
  m_bWindowed = windowed ? 1 : 0;
  controls.SetWindowedCheck(windowed);
}

// A selection outside the list (none, or an item the list does not hold) writes the
// desktop mode.
int cLaunchOptions::WriteLaunchOptions(cLaunchOptionControls& controls) {
  int sel = controls.GetModeSelection();
  m_optionMode = IsListed(sel) ? m_displayModes[sel] : m_desktopMode;

  FilePtr file(fopen(m_path.c_str(), "wb"));
  if (!file) {
    return 0;
  }
  int written = fprintf(file.get(), "%d %d %d %d %d %d", OPTION_FILE_MARK, m_bWindowed, (int)m_optionMode.dmPelsWidth,
                        (int)m_optionMode.dmPelsHeight, (int)m_optionMode.dmBitsPerPel,
                        (int)m_optionMode.dmDisplayFrequency);
  return written > 0 && fclose(file.release()) == 0 ? 1 : 0;
}
