// The main window's status sink, the calls that the patch worker makes, on a real
// window under Wine with a worker thread of the test's own (the engine is not
// started). The worker may call after the window has ended itself, or while the
// window ends between two of its calls: no call may then act on a window handle
// that is no longer there, which for an invalidation means the whole desktop.
// A probe window elsewhere on the screen tells: it is invalidated only when the
// desktop is.
#include <windows.h>

#include <process.h>

#include <gtest/gtest.h>

#include "launcher/PatcherDlg.h"
#include "tests/skin/SkinWindowTest.h"

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

using skintest::PictureTga;

const skintest::tPalette kPalette = {{'P', RGB(40, 60, 90)}, {'B', RGB(200, 200, 0)}, {'L', RGB(90, 0, 0)},
                                     {'C', RGB(0, 90, 0)},   {'R', RGB(0, 0, 90)},    {'S', RGB(120, 120, 120)}};

std::vector<std::string> Rows(int width, int height, const std::string& pattern) {
  std::string row;
  for (char c : pattern) row += std::string((size_t)(width / (int)pattern.size()), c);
  return std::vector<std::string>((size_t)height, row);
}

const char kScript[] =
    "dialog main {\n"
    "  image \"back.tga\"\n"
    "  button start { image \"button.tga\" size 20 20 pos 10 150 }\n"
    "  button close { image \"button.tga\" size 20 20 pos 40 150 }\n"
    "  button minimize { image \"button.tga\" size 20 20 pos 70 150 }\n"
    "  button full { image \"button.tga\" size 20 20 pos 100 150 style 1 }\n"
    "  progressbar probar { image \"bar.tga\" size 200 10 pos 10 130 }\n"
    "  htmlview board { url \"http://127.0.0.1:9/board.html\" size 200 100 pos 10 10 }\n"
    "  combobox resolution {\n"
    "    image \"face.tga\" imageScroll \"scroll.tga\"\n"
    "    left 0 0 10 20 center 10 0 10 20 right 20 0 10 20\n"
    "    size 120 100 pos 150 150\n"
    "  }\n"
    "}\n";

const UINT kRunScenario = WM_APP + 60;

// The launcher's window without its engine: once it runs, it runs the test's
// scenario on its own thread, then ends (unless the scenario ended it already).
class cEnginelessPatcherDlg : public cPatcherDlg {
public:
  explicit cEnginelessPatcherDlg(std::function<void(cEnginelessPatcherDlg&)> scenario)
      : cPatcherDlg(""), m_scenario(std::move(scenario)) {}

  BOOL OnInitDialog() override {
    cSkinDialog::OnInitDialog();
    PostMessage(kRunScenario);
    return TRUE;
  }
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message != kRunScenario) return cPatcherDlg::WindowProc(message, wParam, lParam);
    m_scenario(*this);
    if (GetSafeHwnd() != nullptr) EndDialog(0);
    return 0;
  }

private:
  std::function<void(cEnginelessPatcherDlg&)> m_scenario;
};

unsigned __stdcall RunWork(void* work) {
  (*static_cast<std::function<void()>*>(work))();
  return 0;
}

// Runs work on a thread of its own, as the engine's worker, and waits for it while
// handling the messages it sends to this thread's windows. False when it did not
// end within 10 s.
bool RunOnWorker(std::function<void()> work) {
  HANDLE thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, RunWork, &work, 0, nullptr));
  if (thread == nullptr) return false;
  DWORD start = ::GetTickCount();
  bool ended = false;
  while (!ended && ::GetTickCount() - start < 10000) {
    DWORD woke = ::MsgWaitForMultipleObjects(1, &thread, FALSE, 100, QS_SENDMESSAGE);
    ended = woke == WAIT_OBJECT_0;
    MSG msg;
    ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
  if (!ended) ended = ::WaitForSingleObject(thread, 10000) == WAIT_OBJECT_0;
  ::CloseHandle(thread);
  return ended;
}

// Ends the dialog the moment the start button has been enabled, that is between
// the worker's enabling of it and whatever the worker does next.
HWND g_dialogToEnd = nullptr;
bool g_endedOnEnable = false;

LRESULT CALLBACK EndOnStartEnabled(int code, WPARAM wParam, LPARAM lParam) {
  const CWPRETSTRUCT* sent = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
  if (code == HC_ACTION && g_dialogToEnd != nullptr && sent->message == WM_ENABLE && sent->wParam &&
      ::GetParent(sent->hwnd) == g_dialogToEnd && ::GetDlgCtrlID(sent->hwnd) == cPatcherDlg::IDC_START) {
    HWND dialog = g_dialogToEnd;
    g_dialogToEnd = nullptr;
    g_endedOnEnable = ::DestroyWindow(dialog) != FALSE;
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

class PatcherDlgTest : public ::testing::Test {
protected:
  PatcherDlgTest() : m_skin("launcher_window") {
    m_skin.AddImage("back.tga", PictureTga(Rows(300, 200, "P"), kPalette));
    m_skin.AddImage("button.tga", PictureTga(Rows(60, 20, "B"), kPalette));
    m_skin.AddImage("bar.tga", PictureTga(Rows(8, 10, "B"), kPalette));
    m_skin.AddImage("face.tga", PictureTga(Rows(30, 20, "LCR"), kPalette));
    m_skin.AddImage("scroll.tga", PictureTga(Rows(144, 48, "S"), kPalette));
  }
  void SetUp() override {
    ASSERT_TRUE(m_skin.Load(kScript));
    ASSERT_NE(m_skin.Dialog("main"), nullptr);
    ASSERT_TRUE(cPatcherDlg::HasComponents(*m_skin.Dialog("main")));
    // A small window in the screen's corner, away from the centred dialog.
    m_probe = ::CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "probe", WS_POPUP | WS_VISIBLE, 0, 0, 40, 40, nullptr,
                                nullptr, ::GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(m_probe, nullptr);
    ::DeleteFileA("KQAutoPatch.new");
  }
  void TearDown() override {
    if (m_probe != nullptr) ::DestroyWindow(m_probe);
    ::DeleteFileA("KQAutoPatch.new");
  }

  // Paints the probe now, so that only a later invalidation leaves it dirty.
  void CleanProbe() {
    ::RedrawWindow(m_probe, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    ::ValidateRect(m_probe, nullptr);
  }
  bool ProbeIsDirty() const {
    RECT dirty;
    return ::GetUpdateRect(m_probe, &dirty, FALSE) != FALSE;
  }

  void Run(std::function<void(cEnginelessPatcherDlg&)> scenario) {
    cEnginelessPatcherDlg dialog(std::move(scenario));
    dialog.DoModal(m_skin.Dialog("main"));
  }

  skintest::cTestSkin m_skin;
  HWND m_probe = nullptr;
};

// The window works as it should while it is there: the finished engine enables the
// start button and fills the bar.
TEST_F(PatcherDlgTest, AFinishedRunEnablesStartAndFillsTheBar) {
  bool ran = false;
  Run([&](cEnginelessPatcherDlg& dialog) {
    HWND start = dialog.GetDlgItem(cPatcherDlg::IDC_START);
    ASSERT_NE(start, nullptr);
    EXPECT_FALSE(::IsWindowEnabled(start));
    ASSERT_TRUE(RunOnWorker([&] {
      dialog.GetStatusSink().SetPatchStep(1, 100);
      dialog.GetStatusSink().SetPatchProgress("a", 50);
      dialog.GetStatusSink().OnPatchFinished(true);
    }));
    EXPECT_TRUE(::IsWindowEnabled(start));
    ran = true;
  });
  EXPECT_TRUE(ran);
}

// The race of the issue, forced: the window ends itself (as Enter does once Start is
// enabled) right after the worker's enabling of Start, before the worker's next
// call. Nothing the worker does afterwards may repaint the desktop.
TEST_F(PatcherDlgTest, TheWindowEndingRightAfterStartIsEnabledRepaintsNothingElse) {
  bool ran = false;
  Run([&](cEnginelessPatcherDlg& dialog) {
    g_dialogToEnd = dialog.GetSafeHwnd();
    g_endedOnEnable = false;
    HHOOK hook = ::SetWindowsHookExA(WH_CALLWNDPROCRET, EndOnStartEnabled, nullptr, ::GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    CleanProbe();
    ASSERT_FALSE(ProbeIsDirty());
    bool ended = RunOnWorker([&] { dialog.GetStatusSink().OnPatchFinished(true); });
    ::UnhookWindowsHookEx(hook);
    g_dialogToEnd = nullptr;
    ASSERT_TRUE(ended);
    EXPECT_TRUE(g_endedOnEnable) << "the window ended between the worker's calls";
    EXPECT_FALSE(ProbeIsDirty()) << "the worker repainted the desktop";
    ran = true;
  });
  EXPECT_TRUE(ran);
}

// Every worker call, made after the window has ended itself: each fails quietly on
// the gone window instead of reaching the desktop.
TEST_F(PatcherDlgTest, WorkerCallsAfterTheWindowEndedRepaintNothingElse) {
  struct Case {
    const char* name;
    std::function<void(cPatchWindow&)> call;
    bool newLauncher;  // a "KQAutoPatch.new" is there (the hand-over path)
  };
  const std::vector<Case> cases = {
      {"a new step", [](cPatchWindow& sink) { sink.SetPatchStep(2, 10); }, false},
      {"progress", [](cPatchWindow& sink) { sink.SetPatchProgress("x", 5); }, false},
      {"the download text", [](cPatchWindow& sink) { sink.SetDownloadText(10, 5, "big.kqp"); }, false},
      {"the version text", [](cPatchWindow& sink) { sink.SetVersionText("KQ1.00.00001"); }, false},
      {"the version area", [](cPatchWindow& sink) { sink.RedrawVersionArea(); }, false},
      {"the finish", [](cPatchWindow& sink) { sink.OnPatchFinished(true); }, false},
      {"the finish with a new launcher", [](cPatchWindow& sink) { sink.OnPatchFinished(true); }, true},
      {"an unfinished run", [](cPatchWindow& sink) { sink.OnPatchFinished(false); }, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.newLauncher) {
      FILE* file = std::fopen("KQAutoPatch.new", "wb");
      ASSERT_NE(file, nullptr);
      std::fclose(file);
    }
    bool ran = false;
    Run([&](cEnginelessPatcherDlg& dialog) {
      ASSERT_TRUE(dialog.DestroyWindow());
      CleanProbe();
      ASSERT_FALSE(ProbeIsDirty());
      ASSERT_TRUE(RunOnWorker([&] { c.call(dialog.GetStatusSink()); }));
      EXPECT_FALSE(ProbeIsDirty()) << "the worker repainted the desktop";
      ran = true;
    });
    EXPECT_TRUE(ran);
    ::DeleteFileA("KQAutoPatch.new");
  }
}

}  // namespace
