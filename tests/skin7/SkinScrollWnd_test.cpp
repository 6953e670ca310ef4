// The scroll frame around real list boxes and edit controls under Wine: the window
// tree it builds, where the bars, the viewport and the corner square go for each
// side and pair of bars, the skinned bar driving the list and following it, a list
// that holds the mouse capture handing presses over the bar to the bar, and
// unwrapping by hand and by destruction (of the list and of its parent).
#include <windows.h>

#include <gtest/gtest.h>

#include "skin/SkinBitmap.h"
#include "skin/SkinScrollWnd.h"
#include "ui/Wnd.h"

#include <cstdint>
#include <new>
#include <string>

namespace {

const UINT kListId = 321;

// Handles the messages already queued (the frame posts its layout message).
void Pump() {
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
}

// A 144 x 48 scroll image (tile side 16) of one colour per tile: column 8 (the
// corner square) is kCornerRight in row 0 and kCornerLeft in row 1.
const COLORREF kCornerRight = RGB(200, 40, 40);
const COLORREF kCornerLeft = RGB(40, 200, 40);
COLORREF TileColour(int column, int row) {
  if (column == 8) return row == 0 ? kCornerRight : kCornerLeft;
  return RGB(10 * column, 10 * row, 100);
}
void PaintTiles(cSkinBitmap& image) {
  ASSERT_TRUE(image.Create(144, 48, 24));
  for (int y = 0; y < 48; ++y) {
    uint8_t* row = image.GetRow(47 - y);
    for (int x = 0; x < 144; ++x) {
      COLORREF colour = TileColour(x / 16, y / 16);
      row[x * 3 + 0] = GetBValue(colour);
      row[x * 3 + 1] = GetGValue(colour);
      row[x * 3 + 2] = GetRValue(colour);
    }
  }
}

// The pixel of a shown window's client area as it is on the screen.
COLORREF ScreenPixel(HWND hwnd, int x, int y) {
  ::UpdateWindow(hwnd);
  HDC dc = ::GetDC(hwnd);
  COLORREF colour = ::GetPixel(dc, x, y);
  ::ReleaseDC(hwnd, dc);
  return colour;
}

RECT RectIn(HWND hwnd, HWND parent) {
  RECT rect;
  ::GetWindowRect(hwnd, &rect);
  ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

class SkinScrollWndTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(m_image.Create(144, 48, 24));
    ASSERT_TRUE(m_parent.CreateEx(0, nullptr, "frame test", WS_POPUP | WS_VISIBLE, RECT{0, 0, 300, 300}, nullptr, 0));
    m_list = ::CreateWindowExA(0, "LISTBOX", "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_BORDER | LBS_NOINTEGRALHEIGHT,
                               20, 30, 150, 120, m_parent, (HMENU)(UINT_PTR)kListId, ::GetModuleHandleA(nullptr),
                               nullptr);
    ASSERT_NE(m_list, nullptr);
    for (int i = 0; i < 40; ++i) ::SendMessageA(m_list, LB_ADDSTRING, 0, (LPARAM)std::to_string(i).c_str());
  }
  void TearDown() override {
    if (m_parent.GetSafeHwnd() != nullptr) m_parent.DestroyWindow();
  }

  cSkinBitmap m_image;
  ui::CWnd m_parent;
  HWND m_list = nullptr;
};

TEST_F(SkinScrollWndTest, WrapBuildsTheTree) {
  RECT before = RectIn(m_list, m_parent);
  cSkinScrollWnd* frame = WrapWithSkinScroll(m_list, m_image.GetSafeHandle());
  ASSERT_NE(frame, nullptr);
  Pump();
  EXPECT_EQ(cSkinScrollWnd::FromTarget(m_list), frame);
  EXPECT_EQ(WrapWithSkinScroll(m_list, m_image.GetSafeHandle()), nullptr) << "a target is wrapped once";
  EXPECT_EQ(::GetParent(m_list), frame->GetViewport());
  EXPECT_EQ(::GetParent(frame->GetViewport()), frame->GetSafeHwnd());
  EXPECT_EQ(::GetParent(frame->GetSafeHwnd()), m_parent.GetSafeHwnd());
  EXPECT_EQ(frame->GetDlgCtrlID(), (int)kListId);
  RECT place = RectIn(frame->GetSafeHwnd(), m_parent);
  EXPECT_EQ(place.left, before.left);
  EXPECT_EQ(place.top, before.top);
  EXPECT_EQ(place.right, before.right);
  EXPECT_EQ(place.bottom, before.bottom);
  EXPECT_TRUE(frame->GetStyle() & WS_BORDER) << "the border moves to the frame";
  EXPECT_FALSE(::GetWindowLongA(m_list, GWL_STYLE) & WS_BORDER);
  char text[32] = {};
  ::GetWindowTextA(frame->GetViewport(), text, sizeof(text));
  EXPECT_STREQ(text, "LIMIT");

  EXPECT_TRUE(frame->GetVerticalBar().GetStyle() & WS_VISIBLE);
  EXPECT_FALSE(frame->GetHorizontalBar().GetStyle() & WS_VISIBLE);
  EXPECT_EQ(frame->GetCornerMode(), 0);
  RECT client;
  frame->GetClientRect(&client);
  RECT viewport = RectIn(frame->GetViewport(), frame->GetSafeHwnd());
  EXPECT_EQ(viewport.right, client.right - 16) << "the viewport leaves the bar's strip";
  RECT bar = RectIn(frame->GetVerticalBar(), frame->GetSafeHwnd());
  EXPECT_EQ(bar.right - bar.left, 16);
}

// When the frame is resized, or the list is moved and sized to the frame's size
// from elsewhere (a combo box places its list in screen coordinates on every
// drop-down), the layout puts the list back at the viewport's origin and the bar
// beside the viewport.
TEST_F(SkinScrollWndTest, TheBarStaysBesideTheViewport) {
  struct Case {
    const char* name;
    bool moveFrame;
    int width, height;
  };
  const Case cases[] = {
      {"the frame resized", true, 130, 90},
      {"the list moved far with the frame's size", false, 0, 0},
  };
  cSkinScrollWnd* frame = WrapWithSkinScroll(m_list, m_image.GetSafeHandle());
  ASSERT_NE(frame, nullptr);
  Pump();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.moveFrame) {
      frame->SetWindowPos(nullptr, 0, 0, c.width, c.height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    } else {
      RECT client;
      frame->GetClientRect(&client);
      ::SetWindowPos(m_list, nullptr, 300, 400, client.right, client.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    Pump();
    RECT list = RectIn(m_list, frame->GetViewport());
    EXPECT_EQ(list.left, 0);
    EXPECT_EQ(list.top, 0);
    RECT viewport = RectIn(frame->GetViewport(), frame->GetSafeHwnd());
    RECT bar = RectIn(frame->GetVerticalBar(), frame->GetSafeHwnd());
    EXPECT_EQ(bar.left, viewport.right);
    EXPECT_EQ(bar.top, 0);
  }
}

TEST_F(SkinScrollWndTest, TheBarDrivesTheListAndFollowsIt) {
  cSkinScrollWnd* frame = WrapWithSkinScroll(m_list, m_image.GetSafeHandle());
  ASSERT_NE(frame, nullptr);
  Pump();
  cSkinScrollBar& bar = frame->GetVerticalBar();
  RECT client;
  bar.GetClientRect(&client);
  bar.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, client.bottom - 5));  // down arrow
  bar.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(5, client.bottom - 5));
  EXPECT_EQ(::SendMessageA(m_list, LB_GETTOPINDEX, 0, 0), 1);
  SCROLLINFO info = {};
  bar.GetScrollInfo(&info, SIF_ALL);
  EXPECT_EQ(info.nPos, 1) << "the list's state is copied back";

  ::SendMessageA(m_list, LB_SETTOPINDEX, 7, 0);  // the list scrolls by itself
  frame->SendMessage(WM_TIMER, cSkinScrollWnd::kSyncTimer, 0);
  bar.GetScrollInfo(&info, SIF_POS);
  EXPECT_EQ(info.nPos, 7);
}

// Where the bars, the viewport and the corner square go, by the target's scroll
// styles and side, on multi-line edit controls (which keep both bars).
TEST_F(SkinScrollWndTest, BarsViewportAndCornerBySide) {
  struct Case {
    const char* name;
    DWORD style;
    DWORD exStyle;
    bool vertical, horizontal, left;
    int corner;
  };
  const Case cases[] = {
      {"vertical on the right", WS_VSCROLL, 0, true, false, false, 0},
      {"vertical on the left", WS_VSCROLL, WS_EX_LEFTSCROLLBAR, true, false, true, 0},
      {"horizontal only", WS_HSCROLL, 0, false, true, false, 0},
      {"both on the right", WS_VSCROLL | WS_HSCROLL, 0, true, true, false, 2},
      {"both on the left", WS_VSCROLL | WS_HSCROLL, WS_EX_LEFTSCROLLBAR, true, true, true, 1},
  };
  cSkinBitmap tiles;
  PaintTiles(tiles);
  const int a = 16;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HWND edit = ::CreateWindowExA(c.exStyle, "EDIT", "text", WS_CHILD | WS_VISIBLE | ES_MULTILINE | c.style, 160, 20,
                                  120, 100, m_parent, (HMENU)(UINT_PTR)(kListId + 1), ::GetModuleHandleA(nullptr),
                                  nullptr);
    ASSERT_NE(edit, nullptr);
    cSkinScrollWnd* frame = WrapWithSkinScroll(edit, tiles.GetSafeHandle());
    ASSERT_NE(frame, nullptr);
    Pump();
    HWND hwnd = frame->GetSafeHwnd();
    RECT client;
    frame->GetClientRect(&client);
    RECT viewport = RectIn(frame->GetViewport(), hwnd);
    RECT target = RectIn(edit, hwnd);
    EXPECT_EQ(frame->GetCornerMode(), c.corner);
    EXPECT_EQ((frame->GetVerticalBar().GetStyle() & WS_VISIBLE) != 0, c.vertical);
    EXPECT_EQ((frame->GetHorizontalBar().GetStyle() & WS_VISIBLE) != 0, c.horizontal);
    EXPECT_EQ(target.left, 0) << "the target's window starts at the frame's corner";
    EXPECT_EQ(target.top, 0);
    EXPECT_EQ(target.right, client.right) << "and is as large as the frame's client area";
    EXPECT_EQ(target.bottom, client.bottom);
    EXPECT_EQ(viewport.left, c.vertical && c.left ? a : 0);
    EXPECT_EQ(viewport.right, c.vertical && !c.left ? client.right - a : client.right);
    EXPECT_EQ(viewport.bottom, c.horizontal ? client.bottom - a : client.bottom);
    if (c.vertical) {
      RECT bar = RectIn(frame->GetVerticalBar(), hwnd);
      EXPECT_EQ(bar.left, c.left ? 0 : viewport.right);
      EXPECT_EQ(bar.right - bar.left, a);
      EXPECT_EQ(bar.top, 0);
      EXPECT_EQ(bar.bottom, viewport.bottom);
    }
    if (c.horizontal) {
      RECT bar = RectIn(frame->GetHorizontalBar(), hwnd);
      EXPECT_EQ(bar.left, viewport.left);
      EXPECT_EQ(bar.right, viewport.right);
      EXPECT_EQ(bar.top, viewport.bottom);
      EXPECT_EQ(bar.bottom, client.bottom);
    }
    if (c.corner != 0) {
      int x = c.left ? a / 2 : client.right - a / 2;
      EXPECT_EQ(ScreenPixel(hwnd, x, client.bottom - a / 2), c.corner == 1 ? kCornerLeft : kCornerRight)
          << "the corner square";
    }
    ::DestroyWindow(edit);
    EXPECT_FALSE(::IsWindow(hwnd));
  }
}

// The horizontal bar drives its target as the vertical one does: a press on its
// right arrow scrolls a long line, and the bar shows the target's position.
TEST_F(SkinScrollWndTest, TheHorizontalBarDrivesItsTarget) {
  std::string line(400, 'w');
  HWND edit = ::CreateWindowExA(0, "EDIT", line.c_str(), WS_CHILD | WS_VISIBLE | ES_MULTILINE | WS_HSCROLL, 160, 20,
                                120, 100, m_parent, (HMENU)(UINT_PTR)(kListId + 1), ::GetModuleHandleA(nullptr),
                                nullptr);
  ASSERT_NE(edit, nullptr);
  cSkinScrollWnd* frame = WrapWithSkinScroll(edit, m_image.GetSafeHandle());
  ASSERT_NE(frame, nullptr);
  Pump();
  cSkinScrollBar& bar = frame->GetHorizontalBar();
  ASSERT_TRUE(bar.GetStyle() & WS_VISIBLE);
  RECT client;
  bar.GetClientRect(&client);
  bar.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(client.right - 5, 5));  // right arrow
  bar.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(client.right - 5, 5));
  SCROLLINFO target = {};
  target.cbSize = sizeof(target);
  target.fMask = SIF_ALL;
  ASSERT_TRUE(::GetScrollInfo(edit, SB_HORZ, &target));
  EXPECT_GT(target.nPos, 0) << "the line scrolled";
  SCROLLINFO shown = {};
  bar.GetScrollInfo(&shown, SIF_ALL);
  EXPECT_EQ(shown.nPos, target.nPos);
  EXPECT_EQ(shown.nMax, target.nMax);
  ::DestroyWindow(edit);
}

// A list that holds the mouse capture (as a dropped combo list does) gets the
// presses on the skinned bar; the bar takes them, scrolls the list by its own
// parts and gives the capture back at the release. Presses elsewhere stay the list's.
TEST_F(SkinScrollWndTest, ACapturingListHandsPressesOnTheBarToTheBar) {
  cSkinScrollWnd* frame = WrapWithSkinScroll(m_list, m_image.GetSafeHandle());
  ASSERT_NE(frame, nullptr);
  Pump();
  cSkinScrollBar& bar = frame->GetVerticalBar();
  RECT barRect;
  bar.GetWindowRect(&barRect);
  struct Case {
    const char* name;
    int screenX, screenY;
    int top;       // the list's top item after the press and release
    int selected;  // the list's selection after them
  };
  const Case cases[] = {
      {"the down arrow", barRect.left + 5, barRect.bottom - 5, 1, -1},
      {"the up arrow", barRect.left + 5, barRect.top + 5, 0, -1},
      {"an item of the list", barRect.left - 40, barRect.top + 5, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ::SetCapture(m_list);
    POINT point = {c.screenX, c.screenY};
    ::ScreenToClient(m_list, &point);
    ::SendMessageA(m_list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(point.x, point.y));
    HWND holder = ::GetCapture();
    EXPECT_EQ(holder, c.selected == -1 ? bar.GetSafeHwnd() : m_list) << "the bar holds the capture while pressed";
    point = POINT{c.screenX, c.screenY};
    ::ScreenToClient(holder, &point);
    ::SendMessageA(holder, WM_LBUTTONUP, 0, MAKELPARAM(point.x, point.y));
    EXPECT_EQ(::SendMessageA(m_list, LB_GETTOPINDEX, 0, 0), c.top);
    EXPECT_EQ(::SendMessageA(m_list, LB_GETCURSEL, 0, 0), c.selected);
    if (c.selected == -1) {
      EXPECT_EQ(::GetCapture(), m_list) << "the capture is back with the list";
    }
    ::ReleaseCapture();
  }
}

TEST_F(SkinScrollWndTest, Unwrapping) {
  struct Case {
    const char* name;
    int how;  // 0 by hand, 1 destroying the list, 2 destroying the parent
  };
  const Case cases[] = {{"by hand", 0}, {"list destroyed", 1}, {"parent destroyed", 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (m_parent.GetSafeHwnd() == nullptr) SetUp();
    RECT before = RectIn(m_list, m_parent);
    cSkinScrollWnd* frame = WrapWithSkinScroll(m_list, m_image.GetSafeHandle());
    ASSERT_NE(frame, nullptr);
    Pump();
    HWND frameWindow = frame->GetSafeHwnd();
    switch (c.how) {
      case 0: {
        UnwrapSkinScroll(m_list);
        EXPECT_EQ(::GetParent(m_list), m_parent.GetSafeHwnd());
        EXPECT_EQ(cSkinScrollWnd::FromTarget(m_list), nullptr);
        EXPECT_EQ(::GetWindowLongPtrA(m_list, GWLP_USERDATA), 0);
        RECT after = RectIn(m_list, m_parent);
        EXPECT_EQ(after.left, before.left);
        EXPECT_EQ(after.top, before.top);
        ::DestroyWindow(m_list);
        break;
      }
      case 1:
        ::DestroyWindow(m_list);
        break;
      default:
        m_parent.DestroyWindow();
        break;
    }
    EXPECT_FALSE(::IsWindow(frameWindow));
    EXPECT_FALSE(::IsWindow(m_list));
    if (m_parent.GetSafeHwnd() != nullptr) m_parent.DestroyWindow();
  }
}

// A frame on pages of its own that become unreadable when it is deleted. A read or
// write of the deleted frame faults; the handler below counts it, makes the pages
// usable again and lets the program go on, so the test can say what happened.
class cGuardedFrame : public cSkinScrollWnd {
public:
  static void* operator new(size_t size) {
    s_size = size;
    s_block = ::VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (s_block == nullptr) throw std::bad_alloc();
    return s_block;
  }
  static void operator delete(void* block) {
    DWORD previous = 0;
    if (block == s_block) {
      ::VirtualProtect(block, s_size, PAGE_NOACCESS, &previous);
      ++s_deleted;
    }
  }
  // Frees the pages once the test is done with them.
  static void Release() {
    if (s_block != nullptr) ::VirtualFree(s_block, 0, MEM_RELEASE);
    s_block = nullptr;
  }
  static LONG CALLBACK CatchTouch(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD* record = info->ExceptionRecord;
    if (record->ExceptionCode != EXCEPTION_ACCESS_VIOLATION || record->NumberParameters < 2 || s_block == nullptr)
      return EXCEPTION_CONTINUE_SEARCH;
    uintptr_t address = (uintptr_t)record->ExceptionInformation[1];
    uintptr_t start = (uintptr_t)s_block;
    if (address < start || address >= start + s_size) return EXCEPTION_CONTINUE_SEARCH;
    ++s_touchedAfterDelete;
    DWORD previous = 0;
    ::VirtualProtect(s_block, s_size, PAGE_READWRITE, &previous);
    return EXCEPTION_CONTINUE_EXECUTION;
  }

  static void* s_block;
  static size_t s_size;
  static int s_deleted;
  static int s_touchedAfterDelete;
};
void* cGuardedFrame::s_block = nullptr;
size_t cGuardedFrame::s_size = 0;
int cGuardedFrame::s_deleted = 0;
int cGuardedFrame::s_touchedAfterDelete = 0;

// A window with a vertical scroll bar that destroys itself when it is scrolled.
LRESULT CALLBACK CloseOnScrollProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_VSCROLL) {
    ::DestroyWindow(hwnd);
    return 0;
  }
  return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

HWND CreateCloseOnScroll(HWND parent) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = CloseOnScrollProc;
  wc.hInstance = ::GetModuleHandleA(nullptr);
  wc.lpszClassName = "kq.test.CloseOnScroll";
  ::RegisterClassA(&wc);
  HWND hwnd = ::CreateWindowExA(0, wc.lpszClassName, "", WS_CHILD | WS_VISIBLE | WS_VSCROLL, 20, 30, 150, 120,
                                parent, (HMENU)(UINT_PTR)kListId, wc.hInstance, nullptr);
  SCROLLINFO info = {sizeof(info), SIF_ALL, 0, 99, 10, 0, 0};
  ::SetScrollInfo(hwnd, SB_VERT, &info, TRUE);
  return hwnd;
}

// A wrapped control that is closed, or that closes itself while the frame drives it,
// takes the frame with it; the frame reads nothing of itself once it is deleted.
TEST_F(SkinScrollWndTest, AWrappedControlThatIsClosedTakesTheFrameAlong) {
  struct Case {
    const char* name;
    bool scrolled;  // else an edit control gets WM_CLOSE
  };
  const Case cases[] = {{"an edit control closed", false}, {"a control that closes itself when scrolled", true}};
  PVOID handler = ::AddVectoredExceptionHandler(1, &cGuardedFrame::CatchTouch);
  ASSERT_NE(handler, nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    cGuardedFrame::s_deleted = 0;
    cGuardedFrame::s_touchedAfterDelete = 0;
    HWND target = c.scrolled ? CreateCloseOnScroll(m_parent)
                             : ::CreateWindowExA(0, "EDIT", "some text",
                                                 WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE, 20, 30, 150, 120,
                                                 m_parent, (HMENU)(UINT_PTR)kListId, ::GetModuleHandleA(nullptr),
                                                 nullptr);
    ASSERT_NE(target, nullptr);
    cGuardedFrame* frame = new cGuardedFrame;
    ASSERT_TRUE(frame->Attach(target, m_image.GetSafeHandle()));
    Pump();
    HWND frameWindow = frame->GetSafeHwnd();
    HWND bar = frame->GetVerticalBar().GetSafeHwnd();
    if (c.scrolled) {
      ::SendMessageA(frameWindow, WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), (LPARAM)bar);
    } else {
      ::SendMessageA(target, WM_CLOSE, 0, 0);
    }
    Pump();
    EXPECT_FALSE(::IsWindow(target));
    EXPECT_FALSE(::IsWindow(frameWindow));
    EXPECT_EQ(cGuardedFrame::s_deleted, 1) << "the frame deleted itself";
    EXPECT_EQ(cGuardedFrame::s_touchedAfterDelete, 0) << "the frame was read after it was deleted";
    cGuardedFrame::Release();
  }
  ::RemoveVectoredExceptionHandler(handler);
}

}  // namespace
