#include "finisher/ExecuterApp.h"

#include "finisher/ExecuterDlg.h"

cExecuterApp theApp;

BOOL cExecuterApp::InitInstance() {
  cExecuterDlg dialog;
  m_pMainWnd = &dialog;
  dialog.DoModal();
  m_pMainWnd = nullptr;
  return FALSE;
}
