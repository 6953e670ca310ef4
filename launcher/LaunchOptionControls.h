// What the launch options need from the main window: the resolution combo box and
// the "full" toggle button. The window forwards to its controls; tests record.
#pragma once

class cLaunchOptionControls {
public:
  virtual ~cLaunchOptionControls() = default;
  // Empties the resolution list.
  virtual void ResetModeList() = 0;
  // Inserts text as item index of the resolution list.
  virtual void InsertMode(int index, const char* text) = 0;
  // The selected item, or -1 when none is selected.
  virtual int GetModeSelection() = 0;
  // Selects item index; -1 clears the selection.
  virtual void SelectMode(int index) = 0;
  // Sets the toggle's check state and invalidates it.
  virtual void SetWindowedCheck(bool checked) = 0;
};
