// The update finisher's application object: runs the hidden dialog and ends.
#pragma once

#include "ui/WinApp.h"

class cExecuterApp : public ui::CWinApp {
public:
  BOOL InitInstance() override;
};
