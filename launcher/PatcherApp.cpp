#include "launcher/PatcherApp.h"

#include "launcher/LanguageCode.h"
#include "launcher/MainComponents.h"
#include "launcher/PatcherDlg.h"
#include "patch/LauncherMutex.h"

#include <objbase.h>

#include <cstdio>

namespace {

const char kCaption[] = "KQ Patcher";
const char kMutexBaseName[] = "KQZVJTPatcher Mutex";
const int kMaxLaunchers = 3;
const DWORD kDirectoryBufferSize = 512;

void ShowStartupMessage(const char* text) { MessageBoxA(nullptr, text, kCaption, MB_OK); }

// Creates the named mutex owned; null when it existed already (the handle is then
// released and closed) or could not be created.
HANDLE CreateNewMutex(const char* name) {
  HANDLE mutex = CreateMutexA(nullptr, TRUE, name);
  if (mutex && GetLastError() == ERROR_ALREADY_EXISTS) {
    ReleaseMutex(mutex);
    CloseHandle(mutex);
    return nullptr;
  }
  return mutex;
}

}  // namespace

cPatcherApp theApp;

cPatcherApp::cPatcherApp()
    : m_pFileSystem(new cFileSystem), m_hFolderMutex(nullptr), m_hInstanceMutex(nullptr) {}

cPatcherApp::~cPatcherApp() {
  m_pSkin.reset();
  m_pFileSystem.reset();
  if (m_hInstanceMutex) CloseHandle(m_hInstanceMutex);
  if (m_hFolderMutex) CloseHandle(m_hFolderMutex);
}

BOOL cPatcherApp::InitInstance() {
  ui::CWinApp::InitInstance();
  if (!CheckSingleInstance()) return FALSE;
  if (CoInitialize(nullptr) != 0) {
    ShowStartupMessage("CoInitialize Failed!");
    return FALSE;
  }
  // A skin without the main window or one of its controls counts as a broken skin.
  const cSkinDialogResource* mainResource = nullptr;
  if (LoadSkin()) mainResource = m_pSkin->FindDialog(MAIN_DIALOG_NAME);
  if (!mainResource || !cPatcherDlg::HasComponents(*mainResource)) {
    ShowStartupMessage("Failed to load skin info.");
    return FALSE;
  }
  cPatcherDlg dialog(m_strImagePath.c_str());
  m_pMainWnd = &dialog;
  INT_PTR result = dialog.DoModal(mainResource);
  m_pMainWnd = nullptr;
  // Destroying the main window posted the quit message that ends the message loop.
  // A window that was never created posted none: end at once instead of waiting.
  return result == -1 ? FALSE : TRUE;
}

int cPatcherApp::ExitInstance() {
  CoUninitialize();
  return 0;
}

bool cPatcherApp::CheckSingleInstance() {
  char name[kDirectoryBufferSize] = {0};
  if (!MakeFolderMutexName(name, sizeof(name))) return false;
  m_hFolderMutex = CreateNewMutex(name);
  if (!m_hFolderMutex) return false;

  for (int n = 0; n < kMaxLaunchers; ++n) {
    std::snprintf(name, sizeof(name), "%s%d", kMutexBaseName, n);
    m_hInstanceMutex = CreateNewMutex(name);
    if (m_hInstanceMutex) return true;
  }
  ReleaseMutex(m_hFolderMutex);
  CloseHandle(m_hFolderMutex);
  m_hFolderMutex = nullptr;
  return false;
}

bool cPatcherApp::LoadSkin() {
  char folder[1024];
  std::snprintf(folder, sizeof(folder), "Image/Autopatch/%s/", LANGUAGE_CODE);
  m_strImagePath = folder;
  if (!FileExists(m_strImagePath.c_str())) {
    ShowStartupMessage("Failed to access local path");
    return false;
  }
  m_pSkin.reset(new cSkinManager(m_strImagePath.c_str()));
  return m_pSkin->Load((m_strImagePath + "skin.txt").c_str());
}
