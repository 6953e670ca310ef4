// The launch options: full screen at one of the primary display's modes, or in a
// window, kept in "./AutopatchOption.opt" as six numbers ("%d %d %d %d %d %d", no
// line end): the mark 15050301, the windowed flag, width, height, bits per pixel
// and refresh rate. The list of modes mirrors the window's resolution combo box
// entry for entry; its last entry is always the window size 1024 by 710.
//
// The list has 256 entries. When the display offers more than 255 distinct usable
// resolutions, the first 255 in the system's order are listed and the rest are
// left out, so the window-size entry always keeps the last place.
#pragma once

#include "launcher/DisplayModeSource.h"
#include "launcher/LaunchOptionControls.h"

#include <string>

const int OPTION_FILE_MARK = 15050301;

class cLaunchOptions {
public:
  enum { MAX_DISPLAY_MODES = 256 };

  explicit cLaunchOptions(cDisplayModeSource& modes, const char* path = "./AutopatchOption.opt");

  // Reads the option file into the windowed flag and the chosen mode. Returns 1 for
  // a valid file; 0 otherwise, and then the choice is the current display mode in
  // full screen.
  int ReadLaunchOptions();
  // Lists the usable modes in controls (one item per resolution, then the window
  // size) and selects the chosen mode; a windowed choice at the desktop's own
  // resolution becomes full screen.
  void BuildDisplayModeList(cLaunchOptionControls& controls);
  // The first entry with mode's width and height, or -1.
  int FindDisplayMode(const DEVMODEA& mode) const;
  // The largest entry that fits inside desktop, or -1 (see the .cpp for the rule).
  int FindBestWindowedMode(const DEVMODEA& desktop) const;
  // The toggle was pressed (it has already inverted its check): switches the flag and
  // moves the selection to a mode that suits it.
  void OnFullButton(cLaunchOptionControls& controls);
  // The user selected an item: switches the flag when the mode calls for it.
  void OnResolutionChange(cLaunchOptionControls& controls);
  // Takes the selected mode (the desktop mode when none is selected) and writes the
  // option file. Returns 1 when written, 0 when the file cannot be written.
  int WriteLaunchOptions(cLaunchOptionControls& controls);

  bool IsWindowed() const { return m_bWindowed != 0; }
  int GetWindowedFlag() const { return m_bWindowed; }
  const DEVMODEA& GetOptionMode() const { return m_optionMode; }
  int GetDisplayModeCount() const { return m_nDisplayModes; }
  // Entry index of the list; index must be below GetDisplayModeCount().
  const DEVMODEA& GetDisplayMode(int index) const { return m_displayModes[index]; }
  const DEVMODEA& GetDesktopMode() const { return m_desktopMode; }
  int GetDesktopModeIndex() const { return m_nDesktopModeIndex; }
  int GetWindowModeIndex() const { return m_nWindowModeIndex; }

private:
  // The current display mode into mode; mode stays cleared when it cannot be read.
  void ReadCurrentMode(DEVMODEA& mode);
  // Adds mode to the list, or lets it replace its resolution's entry (see the .cpp).
  void AddDisplayMode(const DEVMODEA& mode, cLaunchOptionControls& controls);
  // Appends mode as a new entry and item; returns its index.
  int AppendDisplayMode(const DEVMODEA& mode, cLaunchOptionControls& controls);
  // Whether the selection is an entry of the list.
  bool IsListed(int index) const { return index >= 0 && index < m_nDisplayModes; }
  void SetWindowed(bool windowed, cLaunchOptionControls& controls);

  cDisplayModeSource& m_modes;
  std::string m_path;
  int m_bWindowed;
  DEVMODEA m_optionMode;
  DEVMODEA m_displayModes[MAX_DISPLAY_MODES];
  int m_nDisplayModes;
  DEVMODEA m_desktopMode;
  int m_nDesktopModeIndex;
  DEVMODEA m_windowModeTemplate;
  int m_nWindowModeIndex;
};
