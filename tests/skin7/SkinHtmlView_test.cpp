// The skinned HTML view under Wine, where the browser control has no HTML engine
// (or, without COM, cannot be created at all): the view is made hidden, stays
// hidden, its parent keeps working, and the view frees itself when its window goes.
// Its own logic (the navigation rule, error pages, keys, the host flags) is driven
// through its handlers directly, as the control would call them.
#include <windows.h>

#include <gtest/gtest.h>

#include "skin/SkinDialogTemplate.h"
#include "skin/SkinHtmlNavigation.h"
#include "skin/SkinHtmlView.h"
#include "tests/skin/SkinWindowTest.h"
#include "ui/Dialog.h"

#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

const char kHome[] = "http://127.0.0.1:9/board/news.html";
const char kMirror[] = "http://127.0.0.1:9/mirror/news.html";

const char kScript[] =
    "dialog main {\n"
    "  htmlview board { url \"http://127.0.0.1:9/board/news.html\"\n"
    "    urlMirror \"http://127.0.0.1:9/mirror/news.html\" size 200 120 pos 10 20 }\n"
    "  htmlview resboard { url \"res://ieframe.dll/navcancl.htm\" size 200 120 pos 10 20 }\n"
    "}\n";

struct tExternal {
  std::string program;
  std::string url;
};

// Counts the live views (a view deletes itself, so the count tells it was freed)
// and records what it would open in the user's browser instead of starting it.
class cCountedView : public cSkinHtmlView {
public:
  static int s_live;
  static std::vector<tExternal> s_opened;
  // The control's events in order, for the record.
  static std::vector<std::string> s_events;
  cCountedView() { ++s_live; }
  ~cCountedView() override { --s_live; }

  void OnBeforeNavigate2(const char* url, bool* cancel) override {
    s_events.push_back(std::string("before:") + url);
    cSkinHtmlView::OnBeforeNavigate2(url, cancel);
  }
  void OnNavigateError(const char* url, long status, bool* cancel) override {
    s_events.push_back("error:" + std::to_string(status));
    cSkinHtmlView::OnNavigateError(url, status, cancel);
  }
  void OnDocumentComplete(const char* url) override {
    s_events.push_back(std::string("complete:") + url);
    cSkinHtmlView::OnDocumentComplete(url);
  }

protected:
  void OpenExternal(const char* program, const char* url) override { s_opened.push_back(tExternal{program, url}); }
};
int cCountedView::s_live = 0;
std::vector<tExternal> cCountedView::s_opened;
std::vector<std::string> cCountedView::s_events;

// Handles every message that arrives within ms milliseconds: time for the control
// to report what it does with a navigation. Nothing is asserted about the time.
void PumpFor(DWORD ms) {
  DWORD start = ::GetTickCount();
  for (;;) {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
    DWORD passed = ::GetTickCount() - start;
    if (passed >= ms) return;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - passed, QS_ALLINPUT);
  }
}

class SkinHtmlViewTest : public ::testing::Test {
protected:
  SkinHtmlViewTest() : m_skin("skin7_html"), m_parent(300, 200) {}
  void SetUp() override {
    ASSERT_TRUE(m_skin.Load(kScript));
    m_board = m_skin.Component<cSkinHtmlViewResource>("main", "board");
    m_resBoard = m_skin.Component<cSkinHtmlViewResource>("main", "resboard");
    ASSERT_NE(m_board, nullptr);
    ASSERT_NE(m_resBoard, nullptr);
    cCountedView::s_opened.clear();
  }
  void TearDown() override {
    if (m_parent.GetSafeHwnd() != nullptr) m_parent.DestroyWindow();
    EXPECT_EQ(cCountedView::s_live, 0) << "every view freed itself";
  }
  cCountedView* NewView(const cSkinHtmlViewResource* resource, int homeChoice = 0) {
    cCountedView* view = new cCountedView;
    EXPECT_TRUE(view->Create(resource, &m_parent, 1003, homeChoice));
    return view;
  }

  skintest::cTestSkin m_skin;
  skintest::cParentWindow m_parent;
  const cSkinHtmlViewResource* m_board = nullptr;
  const cSkinHtmlViewResource* m_resBoard = nullptr;
};

TEST_F(SkinHtmlViewTest, CreateTakesTheHomeAndPlaceAndStartsHidden) {
  struct Case {
    int homeChoice;
    const char* home;
  };
  const Case cases[] = {{0, kHome}, {1, kMirror}, {7, kMirror}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.homeChoice);
    cCountedView* view = NewView(m_board, c.homeChoice);
    EXPECT_EQ(view->GetHomeUrl(), c.home);
    EXPECT_EQ(view->GetDlgCtrlID(), 1003);
    RECT place;
    view->GetWindowRect(&place);
    ::MapWindowPoints(nullptr, m_parent, reinterpret_cast<POINT*>(&place), 2);
    EXPECT_EQ(place.left, 10);
    EXPECT_EQ(place.top, 20);
    EXPECT_EQ(place.right, 210);
    EXPECT_EQ(place.bottom, 140);
    EXPECT_FALSE(view->IsWindowVisible()) << "shown only by a loaded home page";
    EXPECT_EQ(::GetFileAttributesA("dummy.htm"), INVALID_FILE_ATTRIBUTES) << "the browser probe is gone";
    ::DestroyWindow(view->GetSafeHwnd());
  }
}

// Without a window nothing will free the view: Create says so and the caller deletes.
TEST_F(SkinHtmlViewTest, NoWindowWithoutResourceOrParent) {
  struct Case {
    const char* name;
    bool resource;
    bool parent;
  };
  const Case cases[] = {{"no resource", false, true}, {"no parent", true, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    cCountedView* view = new cCountedView;
    EXPECT_FALSE(view->Create(c.resource ? m_board : nullptr, c.parent ? &m_parent : nullptr, 1003, 0));
    EXPECT_EQ(view->GetSafeHwnd(), nullptr);
    EXPECT_FALSE(view->NavigateHome());
    delete view;
  }
}

// The launcher's sequence where the control cannot show a page: new, Create,
// NavigateHome; later the owner destroys the view's window, or its own window goes
// and takes the view with it. Under Wine the control is created but has no HTML
// engine; the test registered with the control's modules switched off
// (KQ_BROWSER_CONTROL=absent) runs the same sequence without any control.
TEST_F(SkinHtmlViewTest, WithoutAWorkingControlTheViewStaysHiddenAndFreesItself) {
  const char* control = std::getenv("KQ_BROWSER_CONTROL");
  bool absent = control != nullptr && std::string(control) == "absent";
  struct Case {
    const char* name;
    bool destroyParent;  // else the owner destroys the view's window
  };
  const Case cases[] = {{"the owner destroys the view", false}, {"the parent goes", true}};
  ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr)));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (m_parent.GetSafeHwnd() == nullptr) {
      ASSERT_TRUE(m_parent.CreateEx(0, nullptr, "skin test parent", WS_POPUP | WS_VISIBLE, RECT{40, 40, 340, 240},
                                    nullptr, 0));
    }
    cCountedView::s_events.clear();
    cCountedView* view = NewView(m_board);
    HWND hwnd = view->GetSafeHwnd();
    ASSERT_NE(hwnd, nullptr);
    bool started = view->NavigateHome();
    if (absent) {
      EXPECT_FALSE(view->HasBrowser());
      EXPECT_FALSE(started);
    }
    PumpFor(1000);
    std::printf("browser control: %d, navigation started: %d, events:", view->HasBrowser() ? 1 : 0, started ? 1 : 0);
    for (const std::string& event : cCountedView::s_events) std::printf(" %s", event.c_str());
    std::printf("\n");
    EXPECT_EQ(cCountedView::s_live, 1);
    EXPECT_FALSE(::IsWindowVisible(hwnd)) << "nothing shown over the board";
    EXPECT_TRUE(cCountedView::s_opened.empty()) << "no external browser";
    char title[64] = {};
    EXPECT_GT(m_parent.SendMessage(WM_GETTEXT, sizeof(title), reinterpret_cast<LPARAM>(title)), 0);
    EXPECT_STREQ(title, "skin test parent") << "the parent still answers";

    if (c.destroyParent) {
      EXPECT_TRUE(m_parent.DestroyWindow());
    } else {
      EXPECT_TRUE(::DestroyWindow(hwnd));
    }
    PumpFor(0);
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(cCountedView::s_live, 0) << "the view deleted itself with its window";
  }
  ::CoUninitialize();
}

// What the control would ask of the view, one navigation at a time.
TEST_F(SkinHtmlViewTest, NavigationRule) {
  struct Case {
    const char* name;
    bool resHome;
    std::string target;
    bool cancelled;
    bool external;
    bool showable;
  };
  const Case cases[] = {
      {"the home page goes on", false, kHome, false, false, true},
      {"a link goes to the user's browser", false, "http://127.0.0.1:9/other.html", true, true, true},
      {"a secure link too", false, "https://example.com/a?b=1", true, true, true},
      {"a redirect of home is another address", false, "http://127.0.0.1:9/board/news2.html", true, true, true},
      {"a script address is dropped", false, "javascript:alert(1)", true, false, true},
      {"a file address is dropped", false, "file:///C:/windows/win.ini", true, false, true},
      {"the control's own page is dropped", false, "res://ieframe.dll/dnserror.htm", true, false, true},
      {"a res home goes on but hides the view for good", true, "res://ieframe.dll/navcancl.htm", false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    cCountedView::s_opened.clear();
    cCountedView* view = NewView(c.resHome ? m_resBoard : m_board);
    bool cancel = false;
    view->OnBeforeNavigate2(c.target.c_str(), &cancel);
    EXPECT_EQ(cancel, c.cancelled);
    EXPECT_EQ(view->IsShowable(), c.showable);
    ASSERT_EQ(cCountedView::s_opened.size(), c.external ? 1u : 0u);
    if (c.external) {
      EXPECT_EQ(cCountedView::s_opened[0].program, ExternalBrowserProgram(view->GetBrowserPath()));
      EXPECT_EQ(cCountedView::s_opened[0].url, c.target);
    }
    view->OnDocumentComplete(view->GetHomeUrl().c_str());
    EXPECT_EQ(view->IsWindowVisible() != FALSE, c.showable) << "a completed home page shows a showable view";
    ::DestroyWindow(view->GetSafeHwnd());
  }
}

// Hands a link to the real way out (ShellExecuteEx), with the stand-in game client,
// which logs its command line, in place of the user's browser.
class cLoggedBrowserView : public cCountedView {
protected:
  void OpenExternal(const char*, const char* url) override {
    const char* bin = std::getenv("KQ_BIN_DIR");
    std::string program = std::string(bin != nullptr ? bin : ".") + "/KQClient-Connect.exe";
    cSkinHtmlView::OpenExternal(program.c_str(), url);
  }
};

std::wstring Wide(const std::string& text) {
  int size = ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  std::wstring wide(size > 0 ? (size_t)size : 1, L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], size);
  wide.resize(wide.size() - 1);
  return wide;
}

// The arguments of a logged command line (the text before the tab), split by the
// Windows rules; the program's name first.
std::vector<std::wstring> LoggedArguments(const std::string& logLine) {
  std::string commandLine = logLine.substr(0, logLine.find('\t'));
  int count = 0;
  LPWSTR* split = ::CommandLineToArgvW(Wide(commandLine).c_str(), &count);
  std::vector<std::wstring> arguments;
  for (int i = 0; split != nullptr && i < count; ++i) arguments.push_back(split[i]);
  if (split != nullptr) ::LocalFree(split);
  return arguments;
}

// The first line of the stand-in's log once it is there (up to 20 s), else "".
std::string WaitForLoggedLine(const char* log) {
  for (int waited = 0; waited < 20000; waited += 100) {
    FILE* file = std::fopen(log, "rb");
    if (file != nullptr) {
      char line[2048] = {};
      bool complete = std::fgets(line, sizeof(line), file) != nullptr && std::strchr(line, '\n') != nullptr;
      std::fclose(file);
      if (complete) return line;
    }
    ::Sleep(100);
  }
  return std::string();
}

// A link whose address holds spaces and quotes (a tampered page over plain HTTP)
// reaches the browser as one argument, the address itself.
TEST_F(SkinHtmlViewTest, ALinkReachesTheBrowserAsOneArgument) {
  const char kLog[] = "KQClient-Connect.log";
  const std::string targets[] = {
      "http://127.0.0.1:9/a b.html",
      "http://127.0.0.1:9/say\"hi\".html",
      "http://127.0.0.1:9/x\" --new-window \"file:///C:/windows/win.ini",
      "http://127.0.0.1:9/dir\\\" tail\\",
  };
  for (const std::string& target : targets) {
    SCOPED_TRACE(target);
    ::DeleteFileA(kLog);
    cLoggedBrowserView* view = new cLoggedBrowserView;
    ASSERT_TRUE(view->Create(m_board, &m_parent, 1003, 0));
    bool cancel = false;
    view->OnBeforeNavigate2(target.c_str(), &cancel);
    EXPECT_TRUE(cancel);
    std::string logged = WaitForLoggedLine(kLog);
    ASSERT_FALSE(logged.empty()) << "the stand-in browser did not start";
    std::vector<std::wstring> arguments = LoggedArguments(logged);
    ASSERT_EQ(arguments.size(), 2u) << logged;
    EXPECT_EQ(arguments[1], Wide(target)) << logged;
    ::DestroyWindow(view->GetSafeHwnd());
  }
  ::DeleteFileA(kLog);
}

// A home page that cannot be loaded keeps the view hidden, also when the control
// then completes its own error page; a completed frame does not show it either.
TEST_F(SkinHtmlViewTest, PagesThatDoNotShowTheView) {
  struct Case {
    const char* name;
    const char* errorUrl;  // null: no navigation error
    const char* completed;
    bool errorCancelled;
  };
  const Case cases[] = {
      {"home cannot be loaded", kHome, kHome, true},
      {"the error page completes", kHome, "res://ieframe.dll/dnserror.htm#http://127.0.0.1:9/", true},
      {"an error page without an error report", nullptr, "res://ieframe.dll/navcancl.htm", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    cCountedView* view = NewView(m_board);
    bool cancel = false;
    if (c.errorUrl != nullptr) view->OnNavigateError(c.errorUrl, 404, &cancel);
    EXPECT_EQ(cancel, c.errorCancelled) << "no error page for home";
    view->OnDocumentComplete(c.completed);
    EXPECT_FALSE(view->IsWindowVisible());
    ::DestroyWindow(view->GetSafeHwnd());
  }
  cCountedView* view = NewView(m_board);
  bool cancel = false;
  view->OnNavigateError("http://ads.example/frame.html", 404, &cancel);
  EXPECT_FALSE(cancel) << "a frame's error is the control's business";
  EXPECT_TRUE(view->IsShowable());
  ::DestroyWindow(view->GetSafeHwnd());
}

TEST_F(SkinHtmlViewTest, KeysNeverReachThePage) {
  struct Case {
    UINT message;
    WPARAM key;
    HRESULT expected;
  };
  const Case cases[] = {
      {WM_KEYDOWN, VK_F5, S_OK}, {WM_KEYDOWN, VK_BACK, S_OK}, {WM_KEYDOWN, 'A', S_OK}, {WM_CHAR, 'a', S_FALSE},
      {WM_KEYUP, VK_F5, S_FALSE},
  };
  cCountedView* view = NewView(m_board);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.message << " " << c.key);
    MSG msg = {};
    msg.hwnd = view->GetSafeHwnd();
    msg.message = c.message;
    msg.wParam = c.key;
    EXPECT_EQ(view->OnTranslateAccelerator(&msg, nullptr, 0), c.expected);
  }
  DOCHOSTUIINFO info = {};
  info.cbSize = sizeof(info);
  info.dwFlags = 0xFFFF;
  info.dwDoubleClick = 3;
  EXPECT_EQ(view->OnGetHostInfo(&info), S_OK);
  EXPECT_EQ(info.dwFlags, (DWORD)DOCHOSTUIFLAG_NO3DBORDER);
  EXPECT_EQ(info.dwDoubleClick, 0u);
  ::DestroyWindow(view->GetSafeHwnd());
}

// --- Keys through the modal loop -------------------------------------------------

// Counts the key presses that the view's filter was asked about.
// (The count outlives the view, which goes with the dialog's window.)
class cFilterView : public cCountedView {
public:
  static int s_keyDownsFiltered;
  HRESULT OnTranslateAccelerator(const MSG* msg, const GUID* group, DWORD commandId) override {
    if (msg != nullptr && msg->message == WM_KEYDOWN) ++s_keyDownsFiltered;
    return cSkinHtmlView::OnTranslateAccelerator(msg, group, commandId);
  }
};
int cFilterView::s_keyDownsFiltered = 0;

// What the browser control's windows received of the keys, by message.
std::map<UINT, int> g_keysSeen;
std::map<HWND, WNDPROC> g_controlProcs;

LRESULT CALLBACK RecordKeysProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message >= WM_KEYFIRST && message <= WM_KEYLAST) ++g_keysSeen[message];
  WNDPROC previous = g_controlProcs[hwnd];
  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    g_controlProcs.erase(hwnd);
  }
  return ::CallWindowProcA(previous, hwnd, message, wParam, lParam);
}

BOOL CALLBACK ListWindow(HWND hwnd, LPARAM windows) {
  reinterpret_cast<std::vector<HWND>*>(windows)->push_back(hwnd);
  return TRUE;
}

std::string ClassOf(HWND hwnd) {
  char name[128] = {};
  ::GetClassNameA(hwnd, name, sizeof(name));
  return name;
}

// A dialog with the board in it, run through the framework's modal loop: once it
// runs, it posts key presses to the browser control's innermost window, as the
// system does for the window with the focus, and ends itself after them.
class cBoardDialog : public ui::CDialog {
public:
  static const UINT kPostKeys = WM_APP + 40;
  static const UINT kDone = WM_APP + 41;

  cBoardDialog(const cSkinHtmlViewResource* board, std::vector<WPARAM> keys)
      : ui::CDialog(IDD_SKIN_DIALOG), m_board(board), m_keys(std::move(keys)) {}

  cFilterView* view = nullptr;
  HWND controlWindow = nullptr;
  std::vector<std::string> controlClasses;

  BOOL OnInitDialog() override {
    ui::CDialog::OnInitDialog();
    view = new cFilterView;
    EXPECT_TRUE(view->Create(m_board, this, 1008, 0));
    view->NavigateHome();
    SetTimer(1, 10000);
    PostMessage(kPostKeys);
    return TRUE;
  }
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == kPostKeys) {
      PostKeys();
      return 0;
    }
    if (message == kDone || message == WM_TIMER) {
      EndDialog(message == kDone ? 1 : 2);
      return 0;
    }
    return ui::CDialog::WindowProc(message, wParam, lParam);
  }

private:
  // Every window of the control records what it gets; the keys go to the last
  // (innermost) one, then the end of the run.
  void PostKeys() {
    std::vector<HWND> windows;
    ::EnumChildWindows(view->GetSafeHwnd(), ListWindow, reinterpret_cast<LPARAM>(&windows));
    for (HWND hwnd : windows) {
      controlClasses.push_back(ClassOf(hwnd));
      g_controlProcs[hwnd] = reinterpret_cast<WNDPROC>(
          ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordKeysProc)));
    }
    if (!windows.empty()) {
      controlWindow = windows.back();
      for (WPARAM key : m_keys) {
        ::PostMessageA(controlWindow, WM_KEYDOWN, key, 1);
        ::PostMessageA(controlWindow, WM_KEYUP, key, 0xC0000001);
      }
    }
    PostMessage(kDone);
  }

  const cSkinHtmlViewResource* m_board;
  std::vector<WPARAM> m_keys;
};

// The keys that would scroll a board without scroll bars, reload it, go back, or
// type into its forms, sent to the real browser control's window: the modal loop
// hands them to the control, the view's filter answers for every press, and the
// control's windows never get them (nor the characters they would make).
TEST_F(SkinHtmlViewTest, KeysSentToTheBrowserControlNeverReachIt) {
  const char* control = std::getenv("KQ_BROWSER_CONTROL");
  if (control != nullptr && std::string(control) == "absent") GTEST_SKIP() << "no browser control to send keys to";
  const std::vector<WPARAM> keys = {VK_DOWN, VK_NEXT, VK_PRIOR, VK_SPACE, VK_END, 'A', VK_F5, VK_BACK};
  ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr)));
  g_keysSeen.clear();
  cFilterView::s_keyDownsFiltered = 0;
  {
    cBoardDialog dialog(m_board, keys);
    EXPECT_EQ(dialog.DoModal(), 1) << "the dialog ended itself after the keys";
    std::printf("browser control windows:");
    for (const std::string& name : dialog.controlClasses) std::printf(" %s", name.c_str());
    std::printf("\n");
    ASSERT_NE(dialog.controlWindow, nullptr) << "the browser control made no window";
    EXPECT_EQ(g_keysSeen[WM_KEYDOWN], 0) << "key presses reached the control";
    EXPECT_EQ(g_keysSeen[WM_CHAR], 0) << "characters reached the control";
    EXPECT_EQ(cFilterView::s_keyDownsFiltered, (int)keys.size()) << "the view's filter answered each press";
  }
  ::CoUninitialize();
}

}  // namespace
