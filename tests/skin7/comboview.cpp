// comboview: shows a skin's "main" dialog with its "resolution" combo box filled with
// display modes, the way the launcher builds it, for the combo box's screenshot
// test and for a person to look at.
//
//   comboview [open]
//
// Loads "Image/Autopatch/KR/skin.txt" from the current folder. With "open" the list
// is dropped down at once (CB_SHOWDROPDOWN, as a program would; a click on the box
// is the user's way). Two hidden static controls report the state for kqdrive, in
// screen coordinates, refreshed every 50 ms:
//   id 1101  "top=T pos=P dropped=D"   the list's top item, the skinned bar's
//                                      position, 1 while the list is dropped
//   id 1102  "bar=L,T,R,B a=A page=N max=M item=H frame=L,T,R,B list=L,T,R,B"
//            the skinned vertical bar, its tile side and scroll state, the list's
//            item height, the scroll frame and the list window
// Escape ends it. Exit status 0 when the dialog ran, 1 when the skin, its "main"
// dialog or its "resolution" combo box cannot be loaded (the reason on stderr).
#include <windows.h>

#include "files/FileSystem.h"
#include "skin/SkinComboBox.h"
#include "skin/SkinDialog.h"
#include "skin/SkinManager.h"
#include "skin/SkinScrollWnd.h"
#include "ui/Static.h"

#include <cstdio>
#include <cstring>

namespace {

const char kSkinFolder[] = "Image/Autopatch/KR/";
const char kScript[] = "Image/Autopatch/KR/skin.txt";

enum { ID_RESOLUTION = 1011, ID_STATE = 1101, ID_GEOMETRY = 1102 };
const UINT_PTR kReportTimer = 1;
const UINT kReportMs = 50;

// The display modes, written the way the launcher lists them.
const char* const kModes[] = {" 640 X  480", " 720 X  480", " 720 X  576", " 800 X  600", "1024 X  768",
                              "1152 X  864", "1280 X  720", "1280 X  768", "1280 X  800", "1280 X  960",
                              "1280 X 1024", "1360 X  768", "1366 X  768", "1400 X 1050", "1440 X  900",
                              "1600 X  900", "1600 X 1200", "1680 X 1050", "1920 X 1080", "1920 X 1200"};
const int kSelected = 4;

void FormatRect(char* out, size_t size, const char* name, HWND hwnd) {
  RECT r = {0, 0, 0, 0};
  if (hwnd != nullptr) ::GetWindowRect(hwnd, &r);
  std::snprintf(out, size, " %s=%ld,%ld,%ld,%ld", name, r.left, r.top, r.right, r.bottom);
}

class cComboViewDlg : public cSkinDialog {
public:
  explicit cComboViewDlg(bool open) : m_open(open) {}

protected:
  int OnCreate(CREATESTRUCTA* cs) override {
    if (cSkinDialog::OnCreate(cs) == -1) return -1;
    const RECT hidden = {0, 0, 0, 0};
    m_state.Create("", WS_CHILD, hidden, m_hWnd, ID_STATE);
    m_geometry.Create("", WS_CHILD, hidden, m_hWnd, ID_GEOMETRY);
    if (!m_combo.Create(GetResource()->FindComponentAs<cSkinComboBoxResource>("resolution"), this, ID_RESOLUTION))
      return -1;
    m_combo.SetFont(GetSkinFont(), TRUE);
    for (const char* mode : kModes) m_combo.AddString(mode);
    m_combo.SetCurSel(kSelected);
    return 0;
  }

  BOOL OnInitDialog() override {
    cSkinDialog::OnInitDialog();
    m_combo.InitDropDown();
    if (m_open) m_combo.ShowDropDown(TRUE);
    Report();
    SetTimer(kReportTimer, kReportMs);
    return TRUE;
  }

  void OnTimer(UINT_PTR id) override {
    if (id == kReportTimer)
      Report();
    else
      cSkinDialog::OnTimer(id);
  }

private:
  void Report() {
    HWND list = m_combo.GetListWindow();
    cSkinScrollWnd* frame = cSkinScrollWnd::FromTarget(list);
    SCROLLINFO info = {};
    if (frame != nullptr) frame->GetVerticalBar().GetScrollInfo(&info, SIF_ALL);
    int top = list != nullptr ? (int)::SendMessageA(list, LB_GETTOPINDEX, 0, 0) : -1;
    char text[128];
    std::snprintf(text, sizeof(text), "top=%d pos=%d dropped=%d", top, info.nPos,
                  (int)m_combo.SendMessage(CB_GETDROPPEDSTATE));
    m_state.SetWindowText(text);

    char geometry[512];
    FormatRect(geometry, sizeof(geometry), "bar", frame != nullptr ? frame->GetVerticalBar().GetSafeHwnd() : nullptr);
    size_t used = std::strlen(geometry);
    std::snprintf(geometry + used, sizeof(geometry) - used, " a=%d page=%u max=%d item=%d",
                  frame != nullptr ? frame->GetTileSide() : 0, info.nPage, info.nMax, m_combo.GetItemHeight(0));
    used = std::strlen(geometry);
    FormatRect(geometry + used, sizeof(geometry) - used, "frame", frame != nullptr ? frame->GetSafeHwnd() : nullptr);
    used = std::strlen(geometry);
    FormatRect(geometry + used, sizeof(geometry) - used, "list", list);
    m_geometry.SetWindowText(geometry + 1);
  }

  bool m_open;
  cSkinComboBox m_combo;
  ui::CStatic m_state;
  ui::CStatic m_geometry;
};

}  // namespace

int main(int argc, char** argv) {
  bool open = argc > 1 && std::strcmp(argv[1], "open") == 0;
  cFileSystem fileSystem;
  cSkinManager skin(kSkinFolder);
  if (!skin.Load(kScript)) {
    std::fprintf(stderr, "comboview: %s\n", skin.GetErrorText().c_str());
    return 1;
  }
  const cSkinDialogResource* mainDialog = skin.FindDialog("main");
  if (mainDialog == nullptr || mainDialog->FindComponentAs<cSkinComboBoxResource>("resolution") == nullptr) {
    std::fprintf(stderr, "comboview: %s defines no dialog \"main\" with a combo box \"resolution\"\n", kScript);
    return 1;
  }
  cComboViewDlg dialog(open);
  INT_PTR result = dialog.DoModal(mainDialog);
  std::printf("comboview: the dialog ended with %d\n", (int)result);
  return result == -1 ? 1 : 0;
}
