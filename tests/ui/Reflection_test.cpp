// Reflection: WM_DRAWITEM, WM_MEASUREITEM, WM_CTLCOLOR* and control notifications
// reach the child object first; the parent's handler runs only for children that do
// not answer. The drawing tests look at the pixels the system shows.
#include <gtest/gtest.h>

#include "tests/driver/Driver.h"
#include "tests/ui/UiTestSupport.h"
#include "ui/Brush.h"
#include "ui/Button.h"
#include "ui/ComboBox.h"
#include "ui/Static.h"
#include "ui/Wnd.h"

namespace {

const COLORREF kChildColor = RGB(220, 40, 40);
const COLORREF kParentColor = RGB(40, 40, 220);

void Fill(HDC dc, const RECT& rect, COLORREF color) {
  HBRUSH brush = ::CreateSolidBrush(color);
  ::FillRect(dc, &rect, brush);
  ::DeleteObject(brush);
}

class ParentWnd : public ui::CWnd {
public:
  uitest::MessageLog log;
  ui::CBrush brush;

protected:
  void OnDrawItem(int id, DRAWITEMSTRUCT* item) override {
    log.Add("OnDrawItem %d", id);
    Fill(item->hDC, item->rcItem, kParentColor);
  }
  void OnMeasureItem(int id, MEASUREITEMSTRUCT* item) override {
    log.Add("OnMeasureItem %d", id);
    item->itemHeight = 30;
  }
  HBRUSH OnCtlColor(HDC dc, HWND control, UINT ctlType) override {
    log.Add("OnCtlColor %d %u", ::GetDlgCtrlID(control), ctlType);
    ::SetBkColor(dc, kParentColor);
    return brush;
  }
  BOOL OnCommand(WPARAM wParam, LPARAM) override {
    log.Add("OnCommand %u %u", LOWORD(wParam), HIWORD(wParam));
    return TRUE;
  }
};

class OwnerDrawButton : public ui::CButton {
public:
  int drawn = 0;
  void DrawItem(DRAWITEMSTRUCT* item) override {
    ++drawn;
    Fill(item->hDC, item->rcItem, kChildColor);
  }
};

class ColoredStatic : public ui::CStatic {
public:
  ui::CBrush brush;

protected:
  HBRUSH CtlColor(HDC dc, UINT) override {
    ::SetBkColor(dc, kChildColor);
    return brush;
  }
};

class NotifiedButton : public ui::CButton {
public:
  explicit NotifiedButton(bool answers) : m_answers(answers) {}
  uitest::MessageLog log;

protected:
  bool OnControlReflect(UINT code) override {
    log.Add("OnControlReflect %u", code);
    return m_answers;
  }

private:
  bool m_answers;
};

class MeasuredCombo : public ui::CComboBox {
public:
  uitest::MessageLog log;
  void MeasureItem(MEASUREITEMSTRUCT* item) override {
    log.Add("MeasureItem %d", static_cast<int>(item->itemID));
    item->itemHeight = 23;
  }
  void DrawItem(DRAWITEMSTRUCT* item) override {
    log.Add("DrawItem %d", static_cast<int>(item->itemID));
  }
};

RECT At(int left, int top, int width, int height) {
  RECT rect = {left, top, left + width, top + height};
  return rect;
}

const DWORD kChild = WS_CHILD | WS_VISIBLE;

class Reflection : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(parent.brush.CreateSolidBrush(kParentColor));
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "reflection", WS_POPUP | WS_VISIBLE, uitest::TestRect(50, 50, 400, 300),
                                nullptr, 0));
  }

  HWND RawChild(const char* className, const char* text, DWORD style, const RECT& r, int id) {
    return ::CreateWindowExA(0, className, text, kChild | style, r.left, r.top, r.right - r.left, r.bottom - r.top,
                             parent.m_hWnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
  }

  void Repaint() {
    ::RedrawWindow(parent.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  }

  ParentWnd parent;
};

TEST_F(Reflection, OwnerDrawnButtonDrawsItselfAndOnlyOthersReachTheParent) {
  OwnerDrawButton wrapped;
  ASSERT_TRUE(wrapped.Create("", kChild | BS_OWNERDRAW, At(10, 10, 60, 30), parent.m_hWnd, 1000));
  ASSERT_NE(nullptr, RawChild("BUTTON", "", BS_OWNERDRAW, At(100, 10, 60, 30), 1001));
  Repaint();

  struct Case {
    int id;
    int x;
    COLORREF color;
    bool parentDraws;
  };
  for (const Case& c : {Case{1000, 30, kChildColor, false}, Case{1001, 130, kParentColor, true}}) {
    SCOPED_TRACE(c.id);
    EXPECT_EQ(c.color, uitest::PixelAt(parent.m_hWnd, c.x, 25));
    EXPECT_EQ(c.parentDraws, parent.log.Count("OnDrawItem " + std::to_string(c.id)) > 0);
  }
  EXPECT_GT(wrapped.drawn, 0);
}

TEST_F(Reflection, ChildBrushColoursItsStaticAndOthersGetTheParents) {
  ColoredStatic wrapped;
  ASSERT_TRUE(wrapped.brush.CreateSolidBrush(kChildColor));
  ASSERT_TRUE(wrapped.Create("a", kChild | SS_LEFT, At(10, 60, 120, 30), parent.m_hWnd, 1010));
  HWND raw = RawChild("STATIC", "b", SS_LEFT, At(150, 60, 120, 30), 1011);
  ASSERT_NE(nullptr, raw);
  Repaint();

  EXPECT_EQ(kChildColor, uitest::PixelAt(parent.m_hWnd, 100, 80));
  EXPECT_EQ(kParentColor, uitest::PixelAt(parent.m_hWnd, 240, 80));
  EXPECT_EQ(0, parent.log.Count("OnCtlColor 1010 6"));
  EXPECT_GT(parent.log.Count("OnCtlColor 1011 6"), 0);

  HDC dc = ::GetDC(parent.m_hWnd);
  EXPECT_EQ(reinterpret_cast<LRESULT>(wrapped.brush.GetSafeHandle()),
            parent.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(wrapped.m_hWnd)));
  ::ReleaseDC(parent.m_hWnd, dc);
}

TEST_F(Reflection, ChildAnswersItsNotificationBeforeTheParent) {
  struct Case {
    int id;
    bool answers;
    int parentCalls;
  };
  for (const Case& c : {Case{1020, true, 0}, Case{1021, false, 1}}) {
    SCOPED_TRACE(c.id);
    NotifiedButton button(c.answers);
    ASSERT_TRUE(button.Create("press", kChild | BS_PUSHBUTTON, At(10, 120, 80, 24), parent.m_hWnd, c.id));
    ASSERT_TRUE(kqdrive::Click(button.m_hWnd));
    EXPECT_TRUE(kqdrive::WaitUntil([&] { return button.log.Count("OnControlReflect 0") == 1; }, 2000));
    std::string parentLine = "OnCommand " + std::to_string(c.id) + " 0";
    EXPECT_EQ(c.parentCalls, parent.log.Count(parentLine));
  }
}

TEST_F(Reflection, OwnerDrawnComboMeasuresFromItsCreationOn) {
  MeasuredCombo combo;
  ASSERT_TRUE(combo.Create(kChild | CBS_DROPDOWNLIST | CBS_OWNERDRAWVARIABLE | CBS_HASSTRINGS, At(10, 160, 150, 200),
                           parent.m_hWnd, 1030));
  EXPECT_EQ(1, combo.log.Count("MeasureItem -1"));
  ASSERT_EQ(0, combo.AddString("800 X 600"));
  EXPECT_EQ(1, combo.log.Count("MeasureItem 0"));
  EXPECT_EQ(23, combo.GetItemHeight(0));
  ASSERT_EQ(0, combo.SetCurSel(0));
  combo.Invalidate();
  combo.UpdateWindow();
  EXPECT_GT(combo.log.Count("DrawItem 0"), 0);
  EXPECT_EQ(0, parent.log.Count("OnMeasureItem 1030"));
  EXPECT_EQ(0, parent.log.Count("OnDrawItem 1030"));
}

}  // namespace
