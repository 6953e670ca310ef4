// skinview: shows a skin's "main" dialog with its buttons and progress bar, the way
// the launcher builds them, so a person or a screenshot can check the skin.
//
//   skinview [POS]
//
// Loads "Image/Autopatch/KR/skin.txt" from the current folder, creates the "start",
// "close", "minimize" and "full" buttons and the "probar" progress bar at POS
// (0.0 to 1.0, default 0.6), checks the "full" toggle and runs the dialog modally.
// The close button, Escape or Enter ends it. Exit status 0 when the dialog ran, 1
// when the skin or its "main" dialog cannot be loaded (the reason on stderr).
#include <windows.h>

#include "files/FileSystem.h"
#include "skin/SkinButton.h"
#include "skin/SkinDialog.h"
#include "skin/SkinManager.h"
#include "skin/SkinProgressBar.h"

#include <cstdio>
#include <cstdlib>

namespace {

const char kSkinFolder[] = "Image/Autopatch/KR/";
const char kScript[] = "Image/Autopatch/KR/skin.txt";
const float kDefaultPos = 0.6f;

enum { ID_START = 1000, ID_CLOSE = 1001, ID_PROGRESS = 1005, ID_FULL = 1010, ID_MINIMIZE = 1012 };

// The "main" dialog with the launcher's buttons and progress bar; a component that
// the skin lacks is left out.
class cSkinViewDlg : public cSkinDialog {
public:
  explicit cSkinViewDlg(float pos) : m_pos(pos) {}

protected:
  int OnCreate(CREATESTRUCTA* cs) override {
    if (cSkinDialog::OnCreate(cs) == -1) {
      return -1;
    }
    const cSkinDialogResource* skin = GetResource();
    m_start.Create(skin->FindComponentAs<cSkinButtonResource>("start"), this, ID_START);
    m_close.Create(skin->FindComponentAs<cSkinButtonResource>("close"), this, ID_CLOSE);
    m_minimize.Create(skin->FindComponentAs<cSkinButtonResource>("minimize"), this, ID_MINIMIZE);
    if (m_progress.Create(skin->FindComponentAs<cSkinProgressBarResource>("probar"), this, ID_PROGRESS)) {
      m_progress.SetPos(m_pos);
    }
    if (m_full.Create(skin->FindComponentAs<cSkinButtonResource>("full"), this, ID_FULL)) {
      m_full.SetFont(GetSkinFont(), TRUE);
      m_full.SetCheck(true);
      m_full.Invalidate(FALSE);
    }
    return 0;
  }

  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
    if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == ID_CLOSE) {
      OnCancel();
      return TRUE;
    }
    if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == ID_MINIMIZE) {
      PostMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
      return TRUE;
    }
    return cSkinDialog::OnCommand(wParam, lParam);
  }

private:
  float m_pos;
  cSkinButton m_start;
  cSkinButton m_close;
  cSkinButton m_minimize;
  cSkinButton m_full;
  cSkinProgressBar m_progress;
};

}  // namespace

int main(int argc, char** argv) {
  float pos = argc > 1 ? (float)std::atof(argv[1]) : kDefaultPos;
  cFileSystem fileSystem;
  cSkinManager skin(kSkinFolder);
  if (!skin.Load(kScript)) {
    std::fprintf(stderr, "skinview: %s\n", skin.GetErrorText().c_str());
    return 1;
  }
  const cSkinDialogResource* mainDialog = skin.FindDialog("main");
  if (mainDialog == nullptr) {
    std::fprintf(stderr, "skinview: %s defines no dialog \"main\"\n", kScript);
    return 1;
  }
  cSkinViewDlg dialog(pos);
  INT_PTR result = dialog.DoModal(mainDialog);
  std::printf("skinview: the dialog ended with %d\n", (int)result);
  return result == -1 ? 1 : 0;
}
