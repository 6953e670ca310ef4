// cPatcherApp: the launcher's application object. Start-up makes sure that no other
// launcher runs from this game folder and that at most three run on the machine,
// prepares COM for the board's browser view, loads the skin of the fixed language
// and runs the main window modally. Everything is relative to the current
// directory, which is the game folder.
#pragma once

#include "files/FileSystem.h"
#include "skin/SkinManager.h"
#include "ui/WinApp.h"

#include <windows.h>

#include <memory>
#include <string>

class cPatcherApp : public ui::CWinApp {
public:
  cPatcherApp();
  ~cPatcherApp() override;

  BOOL InitInstance() override;
  // Releases COM; the exit code is 0 after a failed start-up as after a normal run.
  int ExitInstance() override;

  // True when this process may run; keeps the folder mutex and one numbered mutex.
  bool CheckSingleInstance();
  // True when the language folder exists and its skin script loaded.
  bool LoadSkin();

private:
  void ReleaseMutexes();

  std::unique_ptr<cFileSystem> m_pFileSystem;
  HANDLE m_hFolderMutex;
  HANDLE m_hInstanceMutex;
  std::unique_ptr<cSkinManager> m_pSkin;
  std::string m_strImagePath;
};
