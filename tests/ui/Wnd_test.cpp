// CWnd: messages reach the named handlers, Default() reaches the window's own
// procedure, the handle-to-object link lives in a window property, and the object
// lets go of the window when either side ends.
#include <gtest/gtest.h>

#include <stdexcept>

#include "tests/driver/Driver.h"
#include "tests/ui/UiTestSupport.h"
#include "ui/WinApp.h"
#include "ui/Wnd.h"

namespace {

const COLORREF kPaintColor = RGB(0, 160, 80);
const HCURSOR kDragIcon = reinterpret_cast<HCURSOR>(static_cast<INT_PTR>(0x4242));

// Logs every handler with its decoded arguments.
class RecordingWnd : public ui::CWnd {
public:
  uitest::MessageLog log;

protected:
  int OnCreate(CREATESTRUCTA* cs) override {
    log.Add("OnCreate %s", cs->lpszName ? cs->lpszName : "");
    return ui::CWnd::OnCreate(cs);
  }
  void OnDestroy() override { log.Add("OnDestroy"); }
  void PostNcDestroy() override { log.Add("PostNcDestroy"); }
  void OnPaint() override {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(m_hWnd, &ps);
    HBRUSH brush = ::CreateSolidBrush(kPaintColor);
    RECT client;
    GetClientRect(&client);
    ::FillRect(dc, &client, brush);
    ::DeleteObject(brush);
    ::EndPaint(m_hWnd, &ps);
    log.Add("OnPaint");
  }
  BOOL OnEraseBkgnd(HDC) override {
    log.Add("OnEraseBkgnd");
    return TRUE;
  }
  void OnTimer(UINT_PTR id) override { log.Add("OnTimer %u", static_cast<unsigned>(id)); }
  void OnSize(UINT type, int cx, int cy) override { log.Add("OnSize %u %d %d", type, cx, cy); }
  void OnLButtonDown(UINT flags, POINT p) override { log.Add("OnLButtonDown %u %ld %ld", flags, p.x, p.y); }
  void OnLButtonUp(UINT flags, POINT p) override { log.Add("OnLButtonUp %u %ld %ld", flags, p.x, p.y); }
  void OnMouseMove(UINT flags, POINT p) override { log.Add("OnMouseMove %u %ld %ld", flags, p.x, p.y); }
  void OnMouseLeave() override { log.Add("OnMouseLeave"); }
  LRESULT OnNcHitTest(POINT p) override {
    log.Add("OnNcHitTest %ld %ld", p.x, p.y);
    return HTCAPTION;
  }
  void OnHScroll(UINT code, UINT pos, HWND) override { log.Add("OnHScroll %u %u", code, pos); }
  void OnVScroll(UINT code, UINT pos, HWND) override { log.Add("OnVScroll %u %u", code, pos); }
  BOOL OnCommand(WPARAM wParam, LPARAM) override {
    log.Add("OnCommand %u %u", LOWORD(wParam), HIWORD(wParam));
    return TRUE;
  }
  HCURSOR OnQueryDragIcon() override {
    log.Add("OnQueryDragIcon");
    return kDragIcon;
  }
};

// Overrides nothing: every message goes to the window's own procedure.
class PlainWnd : public ui::CWnd {};

// Sends itself another message before answering with Default().
class NestingWnd : public ui::CWnd {
protected:
  LRESULT OnNcHitTest(POINT) override {
    SendMessage(WM_MOUSELEAVE);
    return Default();
  }
};

class ThrowingWnd : public ui::CWnd {
public:
  int timers = 0;

protected:
  void OnTimer(UINT_PTR id) override {
    ++timers;
    if (id == 1) throw std::runtime_error("handler failed");
  }
};

class FailingCreateWnd : public RecordingWnd {
protected:
  int OnCreate(CREATESTRUCTA*) override { return -1; }
};

// Lives on the heap for its window's life and deletes itself at the end.
class SelfDeletingWnd : public ui::CWnd {
public:
  explicit SelfDeletingWnd(bool* deleted) : m_deleted(deleted) {}
  ~SelfDeletingWnd() override { *m_deleted = true; }

protected:
  void PostNcDestroy() override { delete this; }

private:
  bool* m_deleted;
};

bool CreateTopLevel(ui::CWnd& wnd, const char* title, DWORD style = WS_OVERLAPPEDWINDOW) {
  return wnd.CreateEx(0, nullptr, title, style, uitest::TestRect(), nullptr, 0) != FALSE;
}

struct RouteCase {
  const char* name;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  const char* expectedLine;
  LRESULT expectedResult;
};

const RouteCase kRoutes[] = {
    {"timer", WM_TIMER, 7, 0, "OnTimer 7", 0},
    {"size", WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(120, 80), "OnSize 2 120 80", 0},
    {"button down", WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 10), "OnLButtonDown 1 20 10", 0},
    {"button up", WM_LBUTTONUP, 0, MAKELPARAM(21, 11), "OnLButtonUp 0 21 11", 0},
    {"move with negative x", WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(-5, 3), "OnMouseMove 1 -5 3", 0},
    {"leave", WM_MOUSELEAVE, 0, 0, "OnMouseLeave", 0},
    {"hit test", WM_NCHITTEST, 0, MAKELPARAM(300, 200), "OnNcHitTest 300 200", HTCAPTION},
    {"horizontal scroll", WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, 42), 0, "OnHScroll 5 42", 0},
    {"vertical scroll", WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), 0, "OnVScroll 1 0", 0},
    {"erase", WM_ERASEBKGND, 0, 0, "OnEraseBkgnd", TRUE},
    {"menu command", WM_COMMAND, MAKEWPARAM(1002, 0), 0, "OnCommand 1002 0", 0},
    {"drag icon", WM_QUERYDRAGICON, 0, 0, "OnQueryDragIcon", reinterpret_cast<LRESULT>(kDragIcon)},
};

TEST(WndRouting, EachMessageReachesItsHandlerWithDecodedArguments) {
  RecordingWnd wnd;
  ASSERT_TRUE(CreateTopLevel(wnd, "routing"));
  for (const RouteCase& route : kRoutes) {
    SCOPED_TRACE(route.name);
    wnd.log.Clear();
    LRESULT result = wnd.SendMessage(route.message, route.wParam, route.lParam);
    EXPECT_EQ(std::vector<std::string>{route.expectedLine}, wnd.log.Lines());
    EXPECT_EQ(route.expectedResult, result);
  }
}

TEST(WndRouting, CreatePaintTimerAndDestroyArriveFromTheSystem) {
  RecordingWnd wnd;
  ASSERT_TRUE(CreateTopLevel(wnd, "lifecycle"));
  EXPECT_EQ(1, wnd.log.Count("OnCreate lifecycle"));

  wnd.ShowWindow(SW_SHOWNORMAL);
  wnd.UpdateWindow();
  EXPECT_TRUE(kqdrive::WaitUntil([&] { return wnd.log.Count("OnPaint") > 0; }, 2000));
  EXPECT_EQ(kPaintColor, uitest::PixelAt(wnd.m_hWnd, 10, 10));

  ASSERT_NE(0u, wnd.SetTimer(5, 10));
  EXPECT_TRUE(kqdrive::WaitUntil([&] { return wnd.log.Count("OnTimer 5") > 0; }, 2000));
  wnd.KillTimer(5);

  HWND hwnd = wnd.m_hWnd;
  wnd.log.Clear();
  ASSERT_TRUE(wnd.DestroyWindow());
  EXPECT_EQ((std::vector<std::string>{"OnDestroy", "PostNcDestroy"}), wnd.log.Lines());
  EXPECT_EQ(nullptr, wnd.m_hWnd);
  EXPECT_EQ(nullptr, ui::CWnd::FromHandle(hwnd));
}

TEST(WndRouting, HandlersLeftAloneAnswerThroughTheWindowsOwnProcedure) {
  PlainWnd wnd;
  ASSERT_TRUE(CreateTopLevel(wnd, "plain", WS_POPUP | WS_VISIBLE));
  RECT rect;
  wnd.GetWindowRect(&rect);
  EXPECT_EQ(HTCLIENT, wnd.SendMessage(WM_NCHITTEST, 0, MAKELPARAM(rect.left + 5, rect.top + 5)));
  EXPECT_EQ(HTNOWHERE, wnd.SendMessage(WM_NCHITTEST, 0, MAKELPARAM(rect.right + 50, rect.bottom + 50)));
  EXPECT_TRUE(wnd.SetWindowText("changed by default"));
  char text[64] = "";
  wnd.GetWindowText(text, sizeof(text));
  EXPECT_STREQ("changed by default", text);
}

TEST(WndRouting, DefaultAfterANestedMessageAnswersTheOuterOne) {
  NestingWnd wnd;
  ASSERT_TRUE(CreateTopLevel(wnd, "nesting", WS_POPUP | WS_VISIBLE));
  RECT rect;
  wnd.GetWindowRect(&rect);
  EXPECT_EQ(HTCLIENT, wnd.SendMessage(WM_NCHITTEST, 0, MAKELPARAM(rect.left + 5, rect.top + 5)));
}

TEST(WndRouting, AnExceptionStopsAtTheWindowProcedure) {
  ThrowingWnd wnd;
  ASSERT_TRUE(CreateTopLevel(wnd, "throwing"));
  EXPECT_EQ(0, wnd.SendMessage(WM_TIMER, 1));
  wnd.SendMessage(WM_TIMER, 2);
  EXPECT_EQ(2, wnd.timers);
}

TEST(WndRouting, CreationRefusedByOnCreateLeavesNoWindow) {
  FailingCreateWnd wnd;
  EXPECT_FALSE(CreateTopLevel(wnd, "refused"));
  EXPECT_EQ(nullptr, wnd.m_hWnd);
  EXPECT_EQ(1, wnd.log.Count("PostNcDestroy"));
}

TEST(WndLink, UserDataStaysFreeForOthers) {
  RecordingWnd wnd;
  ASSERT_TRUE(CreateTopLevel(wnd, "userdata"));
  EXPECT_EQ(0, ::GetWindowLongPtrA(wnd.m_hWnd, GWLP_USERDATA));
  ::SetWindowLongPtrA(wnd.m_hWnd, GWLP_USERDATA, 0x5A5A);
  EXPECT_EQ(&wnd, ui::CWnd::FromHandle(wnd.m_hWnd));
  wnd.SendMessage(WM_TIMER, 3);
  EXPECT_EQ(1, wnd.log.Count("OnTimer 3"));
  EXPECT_EQ(0x5A5A, ::GetWindowLongPtrA(wnd.m_hWnd, GWLP_USERDATA));
}

TEST(WndLink, SubclassingRoutesAnExistingWindowUntilUnsubclassed) {
  HWND raw = ::CreateWindowExA(0, "STATIC", "raw", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(nullptr, raw);
  LONG_PTR original = ::GetWindowLongPtrA(raw, GWLP_WNDPROC);

  RecordingWnd wnd;
  ASSERT_TRUE(wnd.SubclassWindow(raw));
  RecordingWnd second;
  EXPECT_FALSE(second.SubclassWindow(raw));
  ::SendMessageA(raw, WM_TIMER, 4, 0);
  EXPECT_EQ(1, wnd.log.Count("OnTimer 4"));

  EXPECT_EQ(raw, wnd.UnsubclassWindow());
  EXPECT_EQ(original, ::GetWindowLongPtrA(raw, GWLP_WNDPROC));
  EXPECT_EQ(nullptr, ui::CWnd::FromHandle(raw));
  ::SendMessageA(raw, WM_TIMER, 4, 0);
  EXPECT_EQ(1, wnd.log.Count("OnTimer 4"));
  ::DestroyWindow(raw);
}

TEST(WndLink, AnObjectThatEndsFirstDestroysOnlyAWindowItCreated) {
  HWND created = nullptr;
  {
    PlainWnd wnd;
    ASSERT_TRUE(CreateTopLevel(wnd, "created"));
    created = wnd.m_hWnd;
  }
  EXPECT_FALSE(::IsWindow(created));

  HWND raw = ::CreateWindowExA(0, "STATIC", "raw", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(nullptr, raw);
  LONG_PTR original = ::GetWindowLongPtrA(raw, GWLP_WNDPROC);
  {
    PlainWnd wnd;
    ASSERT_TRUE(wnd.SubclassWindow(raw));
  }
  EXPECT_TRUE(::IsWindow(raw));
  EXPECT_EQ(original, ::GetWindowLongPtrA(raw, GWLP_WNDPROC));
  ::DestroyWindow(raw);
}

TEST(WndLink, AHeapObjectMayDeleteItselfWhenItsWindowIsGone) {
  bool deleted = false;
  SelfDeletingWnd* wnd = new SelfDeletingWnd(&deleted);
  ASSERT_TRUE(CreateTopLevel(*wnd, "self deleting"));
  HWND hwnd = wnd->m_hWnd;
  ::DestroyWindow(hwnd);
  EXPECT_TRUE(deleted);
  EXPECT_EQ(nullptr, ui::CWnd::FromHandle(hwnd));
}

TEST(WndPlacement, CenterWindowUsesOwnerParentOrScreen) {
  const int screenWidth = ::GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = ::GetSystemMetrics(SM_CYSCREEN);
  PlainWnd owner;
  ASSERT_TRUE(owner.CreateEx(0, nullptr, "owner", WS_POPUP | WS_VISIBLE, uitest::TestRect(100, 100, 400, 300), nullptr, 0));
  struct Case {
    const char* name;
    HWND parent;
    DWORD style;
    POINT expected;  // in the parent's client area for a child, else on the screen
  };
  const Case cases[] = {
      {"no owner", nullptr, WS_POPUP, {(screenWidth - 200) / 2, (screenHeight - 120) / 2}},
      {"owned", owner.m_hWnd, WS_POPUP, {100 + 100, 100 + 90}},
      {"child", owner.m_hWnd, WS_CHILD, {100, 90}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PlainWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, "centred", c.style | WS_VISIBLE, uitest::TestRect(0, 0, 200, 120), c.parent, 1));
    wnd.CenterWindow();
    RECT rect;
    wnd.GetWindowRect(&rect);
    if (c.style & WS_CHILD) owner.ScreenToClient(&rect);
    EXPECT_EQ(c.expected.x, rect.left);
    EXPECT_EQ(c.expected.y, rect.top);
  }
}

bool QuitPosted() {
  MSG msg;
  return ::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
}

TEST(WndLink, DestroyingTheMainWindowEndsTheMessageLoop) {
  ui::CWinApp app;
  struct Case {
    bool isMain;
    bool quitExpected;
  };
  for (const Case& c : {Case{true, true}, Case{false, false}}) {
    SCOPED_TRACE(c.isMain ? "main window" : "other window");
    PlainWnd wnd;
    ASSERT_TRUE(CreateTopLevel(wnd, "main"));
    PlainWnd other;
    app.m_pMainWnd = c.isMain ? static_cast<ui::CWnd*>(&wnd) : &other;
    wnd.DestroyWindow();
    EXPECT_EQ(c.quitExpected, QuitPosted());
    EXPECT_EQ(c.isMain ? nullptr : &other, app.m_pMainWnd);
    app.m_pMainWnd = nullptr;
  }
}

}  // namespace
