// The finisher's only window: a dialog without size that selects the graphics module,
// waits on a 1000 ms timer until more than a second has passed and the old launcher
// has ended, then swaps the delivered files, starts the launcher again and closes.
#pragma once

#include "ui/Dialog.h"

#include <windows.h>

class cExecuterDlg : public ui::CDialog {
public:
  cExecuterDlg();

  BOOL OnInitDialog() override;

protected:
  void OnTimer(UINT_PTR id) override;
  void OnPaint() override;
  HCURSOR OnQueryDragIcon() override;

private:
  HICON m_hIcon;
  DWORD m_dwStartTick = 0;
  BOOL m_bDue = FALSE;
};
