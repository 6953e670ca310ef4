// CDialog: a modal dialog from a template, run by its own loop. A driver thread acts
// on the dialog the way a user or another thread would, while DoModal runs here.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "tests/driver/Driver.h"
#include "tests/ui/TestIds.h"
#include "tests/ui/UiTestSupport.h"
#include "ui/Button.h"
#include "ui/Dialog.h"

namespace {

const char kDialogClass[] = "#32770";
const char kDialogTitle[] = "ui test dialog";
const UINT_PTR kWatchdogTimer = 77;
const int kTimedOut = 4242;

// Logs what the framework calls; a button that reaches OnCommand ends the dialog with
// its id. A watchdog ends a dialog that nobody ends.
class TestDialog : public ui::CDialog {
public:
  explicit TestDialog(ui::CWnd* parent = nullptr, UINT templateId = IDD_UI_TEST) : CDialog(templateId, parent) {}

  // Makes Enter and Escape reach OnOK and OnCancel before the dialog manager.
  bool keysFirst = false;
  // Control ids to subclass with a logging button in OnInitDialog.
  std::vector<int> subclass;
  bool refuseCreate = false;
  uitest::MessageLog log;
  // Owner-drawn buttons drawn through reflection; read by the driver thread.
  std::atomic<int> drawn{0};

protected:
  class LoggingButton : public ui::CButton {
  public:
    LoggingButton(uitest::MessageLog& log, std::atomic<int>& drawn) : m_log(log), m_drawn(drawn) {}
    void DrawItem(DRAWITEMSTRUCT*) override { ++m_drawn; }

  protected:
    void OnLButtonDown(UINT flags, POINT point) override {
      m_log.Add("OnLButtonDown %d", GetDlgCtrlID());
      ui::CButton::OnLButtonDown(flags, point);
    }
    void OnLButtonUp(UINT flags, POINT point) override {
      m_log.Add("OnLButtonUp %d", GetDlgCtrlID());
      ui::CButton::OnLButtonUp(flags, point);
    }

  private:
    uitest::MessageLog& m_log;
    std::atomic<int>& m_drawn;
  };

  int OnCreate(CREATESTRUCTA* cs) override {
    log.Add("OnCreate");
    return refuseCreate ? -1 : CDialog::OnCreate(cs);
  }
  BOOL OnInitDialog() override {
    log.Add("OnInitDialog");
    SetTimer(kWatchdogTimer, 8000);
    for (int id : subclass) {
      m_buttons.emplace_back(new LoggingButton(log, drawn));
      m_buttons.back()->SubclassDlgItem(static_cast<UINT>(id), m_hWnd);
    }
    return CDialog::OnInitDialog();
  }
  void OnTimer(UINT_PTR id) override {
    if (id != kWatchdogTimer) return;
    log.Add("watchdog");
    EndDialog(kTimedOut);
  }
  BOOL PreTranslateMessage(MSG* msg) override {
    if (keysFirst && msg->message == WM_KEYDOWN) {
      m_inKey = true;
      if (msg->wParam == VK_RETURN) OnOK();
      if (msg->wParam == VK_ESCAPE) OnCancel();
      m_inKey = false;
    }
    return CDialog::PreTranslateMessage(msg);
  }
  void OnOK() override {
    log.Add(m_inKey ? "OnOK key" : "OnOK command");
    CDialog::OnOK();
  }
  void OnCancel() override {
    log.Add(m_inKey ? "OnCancel key" : "OnCancel command");
    CDialog::OnCancel();
  }
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
    int id = LOWORD(wParam);
    if (id == IDC_START || id == IDC_PUSH) {
      log.Add("OnCommand %d", id);
      EndDialog(id);
      return TRUE;
    }
    return CDialog::OnCommand(wParam, lParam);
  }

private:
  bool m_inKey = false;
  std::vector<std::unique_ptr<LoggingButton>> m_buttons;
};

// Runs the dialog modally here while action runs on a driver thread once the dialog
// shows, its start button has the focus and, when it has subclassed buttons, one of
// them has been drawn.
INT_PTR RunDriven(TestDialog& dialog, const std::function<void(HWND)>& action) {
  std::thread driver([&action, &dialog] {
    HWND hwnd = kqdrive::WaitForWindow(kDialogClass, kDialogTitle, 5000);
    if (!hwnd) return;
    HWND start = ::GetDlgItem(hwnd, IDC_START);
    kqdrive::WaitUntil([&] { return kqdrive::FocusOf(hwnd) == start; }, 2000);
    if (!dialog.subclass.empty()) kqdrive::WaitUntil([&] { return dialog.drawn > 0; }, 2000);
    action(hwnd);
  });
  INT_PTR result = dialog.DoModal();
  driver.join();
  return result;
}

struct KeyCase {
  const char* name;
  bool keysFirst;
  UINT key;
  std::vector<std::string> calls;
  INT_PTR result;
};

TEST(DialogKeys, EnterAndEscapeReachOkAndCancelOncePerPathInOrder) {
  const KeyCase cases[] = {
      {"enter, keys first", true, VK_RETURN, {"OnOK key", "OnOK command"}, IDOK},
      {"escape, keys first", true, VK_ESCAPE, {"OnCancel key", "OnCancel command"}, IDCANCEL},
      {"enter, dialog manager only", false, VK_RETURN, {"OnOK command"}, IDOK},
      {"escape, dialog manager only", false, VK_ESCAPE, {"OnCancel command"}, IDCANCEL},
  };
  for (const KeyCase& c : cases) {
    SCOPED_TRACE(c.name);
    TestDialog dialog;
    dialog.keysFirst = c.keysFirst;
    UINT key = c.key;
    INT_PTR result = RunDriven(dialog, [key](HWND hwnd) { kqdrive::PressKey(hwnd, key); });
    std::vector<std::string> expected = {"OnCreate", "OnInitDialog"};
    expected.insert(expected.end(), c.calls.begin(), c.calls.end());
    EXPECT_EQ(expected, dialog.log.Lines());
    EXPECT_EQ(c.result, result);
  }
}

TEST(DialogKeys, CloseMessageReachesOnCancel) {
  TestDialog dialog;
  INT_PTR result = RunDriven(dialog, [](HWND hwnd) { ::PostMessageA(hwnd, WM_CLOSE, 0, 0); });
  EXPECT_EQ(1, dialog.log.Count("OnCancel command"));
  EXPECT_EQ(IDCANCEL, result);
}

TEST(DialogLoop, EndDialogFromAnotherThreadEndsTheLoop) {
  TestDialog dialog;
  INT_PTR result = RunDriven(dialog, [&dialog](HWND) { dialog.EndDialog(7); });
  EXPECT_EQ(7, result);
  EXPECT_EQ(0, dialog.log.Count("watchdog"));
  EXPECT_EQ(nullptr, dialog.m_hWnd);
}

TEST(DialogLoop, OwnerIsDisabledWhileTheDialogRuns) {
  ui::CWnd owner;
  ASSERT_TRUE(owner.CreateEx(0, nullptr, "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, uitest::TestRect(), nullptr, 0));
  TestDialog dialog(&owner);
  bool enabledWhileModal = true;
  HWND ownerSeen = nullptr;
  RunDriven(dialog, [&](HWND hwnd) {
    enabledWhileModal = ::IsWindowEnabled(owner.m_hWnd) != FALSE;
    ownerSeen = ::GetWindow(hwnd, GW_OWNER);
    kqdrive::PressKey(hwnd, VK_ESCAPE);
  });
  EXPECT_FALSE(enabledWhileModal);
  EXPECT_EQ(owner.m_hWnd, ownerSeen);
  EXPECT_TRUE(owner.IsWindowEnabled());
}

TEST(DialogLoop, QuitMessageEndsTheLoopAndIsPostedAgain) {
  TestDialog dialog;
  DWORD thread = ::GetCurrentThreadId();
  INT_PTR result = RunDriven(dialog, [thread](HWND) { ::PostThreadMessageA(thread, WM_QUIT, 3, 0); });
  EXPECT_EQ(-1, result);
  MSG msg;
  ASSERT_TRUE(::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(3u, msg.wParam);
}

TEST(DialogLoop, DialogsThatCannotBeCreatedReturnMinusOne) {
  ui::CWnd owner;
  ASSERT_TRUE(owner.CreateEx(0, nullptr, "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, uitest::TestRect(), nullptr, 0));
  struct Case {
    const char* name;
    UINT templateId;
    bool refuseCreate;
    std::vector<std::string> calls;
  };
  const Case cases[] = {
      {"OnCreate refuses", IDD_UI_TEST, true, {"OnCreate"}},
      {"no such template", 999, false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestDialog dialog(&owner, c.templateId);
    dialog.refuseCreate = c.refuseCreate;
    EXPECT_EQ(-1, dialog.DoModal());
    EXPECT_EQ(c.calls, dialog.log.Lines());
    EXPECT_EQ(nullptr, dialog.m_hWnd);
    EXPECT_TRUE(owner.IsWindowEnabled());
  }
}

TEST(DialogControls, DriverReadsTextsAndStatesFromAnotherThread) {
  TestDialog dialog;
  std::string title, status;
  bool checkedBefore = true, checkedAfter = false, enabled = false, visible = false;
  RunDriven(dialog, [&](HWND hwnd) {
    HWND full = kqdrive::Control(hwnd, IDC_FULL);
    title = kqdrive::Text(hwnd);
    status = kqdrive::Text(kqdrive::Control(hwnd, IDC_STATUS));
    enabled = kqdrive::IsEnabled(full);
    visible = kqdrive::IsVisible(full);
    checkedBefore = kqdrive::IsChecked(full);
    kqdrive::Click(full);
    checkedAfter = kqdrive::WaitUntil([full] { return kqdrive::IsChecked(full); }, 2000);
    kqdrive::PressKey(hwnd, VK_ESCAPE);
  });
  EXPECT_EQ(kDialogTitle, title);
  EXPECT_EQ("status", status);
  EXPECT_TRUE(enabled);
  EXPECT_TRUE(visible);
  EXPECT_FALSE(checkedBefore);
  EXPECT_TRUE(checkedAfter);
}

TEST(DialogControls, SubclassedTemplateButtonsGetTheirMessagesAndStillNotify) {
  struct Case {
    const char* name;
    int id;
    bool mouse;
  };
  for (const Case& c : {Case{"push button, BM_CLICK", IDC_PUSH, false}, Case{"owner-drawn, mouse", IDC_START, true}}) {
    SCOPED_TRACE(c.name);
    TestDialog dialog;
    dialog.subclass = {IDC_START, IDC_PUSH};
    int id = c.id;
    bool mouse = c.mouse;
    INT_PTR result = RunDriven(dialog, [id, mouse](HWND hwnd) {
      HWND button = ::GetDlgItem(hwnd, id);
      if (mouse)
        kqdrive::ClickAt(button, 5, 5);
      else
        kqdrive::Click(button);
    });
    EXPECT_EQ(id, result);
    EXPECT_EQ(1, dialog.log.Count("OnLButtonDown " + std::to_string(id)));
    EXPECT_EQ(1, dialog.log.Count("OnLButtonUp " + std::to_string(id)));
    EXPECT_EQ(1, dialog.log.Count("OnCommand " + std::to_string(id)));
    EXPECT_GT(dialog.drawn, 0);
  }
}

}  // namespace
