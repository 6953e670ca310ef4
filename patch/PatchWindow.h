// What the patch engine needs from its window. The main window implements it; tests
// use a recording implementation. Every operation is called on the worker thread.
#pragma once

class cPatchWindow {
public:
  virtual ~cPatchWindow() = default;
  // Shows the step's text and restarts the bar for a new total (repeats are ignored).
  virtual void SetPatchStep(int step, unsigned total) = 0;
  // Moves the bar to value / total of the current step.
  virtual void SetPatchProgress(const char* name, unsigned value) = 0;
  // Shows "<name> <done> MB / <total> MB", or clears the text when total is 0.
  virtual void SetDownloadText(unsigned total, unsigned done, const char* name) = 0;
  // Sets the text of the version label.
  virtual void SetVersionText(const char* version) = 0;
  // Repaints the version area, erasing the background behind the label.
  virtual void RedrawVersionArea() = 0;
  // The run is over (also after most errors); value is whether it finished.
  virtual void OnPatchFinished(bool finished) = 0;
};
