// The skinned scroll bar as a real window under Wine: presses with auto-repeat,
// thumb drags, hover and leave, the double-click swallow and the scroll-info
// messages. Timer ticks are delivered by hand (WM_TIMER 100), so no test waits.
#include <windows.h>

#include <gtest/gtest.h>

#include "skin/SkinBitmap.h"
#include "skin/SkinScrollBar.h"
#include "skin/SkinScrollDraw.h"
#include "ui/Wnd.h"

#include <vector>

namespace {

struct tNote {
  int code;
  int position;
};

// A pop-up that records the scroll notifications of its bars and, like a real
// owner, takes the final drag position.
class cScrollParent : public ui::CWnd {
public:
  std::vector<tNote> notes;
  cSkinScrollBar* bar = nullptr;

protected:
  void OnVScroll(UINT code, UINT pos, HWND) override { Record(code, pos); }
  void OnHScroll(UINT code, UINT pos, HWND) override { Record(code, pos); }

private:
  void Record(UINT code, UINT pos) {
    notes.push_back(tNote{(int)code, (int)pos});
    if (code == SB_THUMBPOSITION && bar != nullptr) {
      SCROLLINFO info = {};
      info.fMask = SIF_POS;
      info.nPos = (int)pos;
      bar->SetScrollInfo(&info, TRUE);
    }
  }
};

// A 144 x 48 scroll image: green tells the tile (20 x column + 5 x row), red marks
// each tile's first (255) and last (128) pixel row, blue its first and last column.
int EdgeMark(int local) { return local == 0 ? 255 : local == 15 ? 128 : 0; }
COLORREF TileColor(int column, int row, int localX, int localY) {
  return RGB(EdgeMark(localY), 20 * column + 5 * row, EdgeMark(localX));
}

void PaintTiles(cSkinBitmap& bitmap) {
  ASSERT_TRUE(bitmap.Create(144, 48, 24));
  for (int y = 0; y < 48; ++y) {
    uint8_t* row = bitmap.GetRow(47 - y);
    for (int x = 0; x < 144; ++x) {
      COLORREF color = TileColor(x / 16, y / 16, x % 16, y % 16);
      row[x * 3 + 0] = GetBValue(color);
      row[x * 3 + 1] = GetGValue(color);
      row[x * 3 + 2] = GetRValue(color);
    }
  }
}

// A 32-bit memory canvas filled with white, and the tile image in its own DC.
class cDrawing {
public:
  cDrawing(int width, int height) {
    PaintTiles(m_tiles);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    m_canvas = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    m_dc = ::CreateCompatibleDC(nullptr);
    m_oldCanvas = ::SelectObject(m_dc, m_canvas);
    RECT all = {0, 0, width, height};
    ::FillRect(m_dc, &all, (HBRUSH)::GetStockObject(WHITE_BRUSH));
    m_source = ::CreateCompatibleDC(nullptr);
    m_oldTiles = ::SelectObject(m_source, m_tiles.GetSafeHandle());
  }
  ~cDrawing() {
    ::SelectObject(m_source, m_oldTiles);
    ::DeleteDC(m_source);
    ::SelectObject(m_dc, m_oldCanvas);
    ::DeleteDC(m_dc);
    ::DeleteObject(m_canvas);
  }
  HDC Dc() const { return m_dc; }
  HDC Source() const { return m_source; }
  COLORREF At(int x, int y) const {
    ::GdiFlush();
    return ::GetPixel(m_dc, x, y);
  }

private:
  cSkinBitmap m_tiles;
  HBITMAP m_canvas;
  HDC m_dc;
  HGDIOBJ m_oldCanvas;
  HDC m_source;
  HGDIOBJ m_oldTiles;
};

TEST(SkinScrollDraw, Tools) {
  const COLORREF kWhite = RGB(255, 255, 255);
  struct Probe {
    int x, y;
    COLORREF expected;
  };
  struct Case {
    const char* name;
    int tool;  // 0 tile fill, 1 vertical thumb, 2 horizontal thumb, 3 one tile
    RECT area;
    int column, row;
    std::vector<Probe> probes;
  };
  const Case cases[] = {
      {"tile fill repeats and cuts", 0, {0, 0, 40, 20}, 3, 0,
       {{0, 0, TileColor(3, 0, 0, 0)}, {16, 16, TileColor(3, 0, 0, 0)}, {39, 19, TileColor(3, 0, 7, 3)},
        {40, 0, kWhite}, {0, 20, kWhite}}},
      {"vertical thumb keeps its ends", 1, {0, 16, 16, 48}, 2, 2,
       {{5, 16, TileColor(2, 2, 5, 0)}, {5, 18, TileColor(2, 2, 5, 2)}, {5, 47, TileColor(2, 2, 5, 15)},
        {5, 19, TileColor(2, 2, 5, 3)}, {5, 30, TileColor(2, 2, 5, 4)}, {5, 49, kWhite}}},
      {"horizontal thumb keeps its ends", 2, {16, 0, 48, 16}, 6, 1,
       {{16, 5, TileColor(6, 1, 0, 5)}, {47, 5, TileColor(6, 1, 15, 5)}, {19, 5, TileColor(6, 1, 3, 5)},
        {30, 5, TileColor(6, 1, 4, 5)}, {49, 5, kWhite}}},
      {"empty thumb draws nothing", 1, {0, 16, 16, 16}, 2, 0, {{5, 16, kWhite}}},
      {"one tile at the top-left corner", 3, {0, 184, 16, 200}, 1, 2,
       {{0, 184, TileColor(1, 2, 0, 0)}, {15, 199, TileColor(1, 2, 15, 15)}, {16, 184, kWhite}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    cDrawing drawing(60, 210);
    RECT tile = ScrollTileRect(16, c.column, c.row);
    switch (c.tool) {
      case 0: TileFill(drawing.Dc(), c.area, drawing.Source(), tile); break;
      case 1: DrawScrollThumb(drawing.Dc(), c.area, drawing.Source(), tile, true); break;
      case 2: DrawScrollThumb(drawing.Dc(), c.area, drawing.Source(), tile, false); break;
      default: DrawScrollTile(drawing.Dc(), c.area, drawing.Source(), tile); break;
    }
    for (const Probe& p : c.probes) {
      SCOPED_TRACE(testing::Message() << p.x << "," << p.y);
      EXPECT_EQ(drawing.At(p.x, p.y), p.expected);
    }
  }
}

class SkinScrollBarTest : public ::testing::Test {
protected:
  void SetUp() override {
    PaintTiles(m_bitmap);
    ASSERT_TRUE(m_parent.CreateEx(0, nullptr, "scroll", WS_POPUP | WS_VISIBLE, RECT{0, 0, 100, 240}, nullptr, 0));
    ASSERT_TRUE(m_bar.Create(WS_CHILD | WS_VISIBLE | SBS_VERT, RECT{0, 0, 30, 200}, m_parent, 101));
    m_parent.bar = &m_bar;
    m_bar.SetBitmap(m_bitmap.GetSafeHandle());
    SetState(0, 99, 10, 0);
  }
  void TearDown() override {
    m_bar.DestroyWindow();
    m_parent.DestroyWindow();
  }

  void SetState(int nMin, int nMax, UINT nPage, int nPos) {
    SCROLLINFO info = {};
    info.fMask = SIF_ALL;
    info.nMin = nMin;
    info.nMax = nMax;
    info.nPage = nPage;
    info.nPos = nPos;
    m_bar.SetScrollInfo(&info, TRUE);
  }
  LRESULT Mouse(UINT message, int y) { return m_bar.SendMessage(message, MK_LBUTTON, MAKELPARAM(5, y)); }
  void Tick() { m_bar.SendMessage(WM_TIMER, cSkinScrollBar::kRepeatTimer, 0); }
  int TrackPos() const {
    SCROLLINFO info = {};
    m_bar.GetScrollInfo(&info, SIF_TRACKPOS);
    return info.nTrackPos;
  }

  cSkinBitmap m_bitmap;
  cScrollParent m_parent;
  cSkinScrollBar m_bar;
};

TEST_F(SkinScrollBarTest, SetBitmapGivesTheThickness) {
  RECT window;
  m_bar.GetWindowRect(&window);
  EXPECT_EQ(m_bar.GetTileSide(), 16);
  EXPECT_EQ(window.right - window.left, 16);
  EXPECT_EQ(window.bottom - window.top, 200);
  EXPECT_EQ(m_bar.GetLayout().length, 200);
}

TEST_F(SkinScrollBarTest, ScrollInfoTakesWhatTheMaskAsks) {
  struct Case {
    const char* name;
    UINT mask;
    int nMin, nMax;
    UINT nPage;
    int nPos;
    SCROLLINFO expected;  // nMin, nMax, nPage, nPos, nTrackPos read back
  };
  const Case cases[] = {
      {"position only", SIF_POS, 7, 8, 9, 40, {0, 0, 0, 99, 10, 40, -1}},
      {"page only", SIF_PAGE, 7, 8, 9, 40, {0, 0, 0, 99, 9, 0, -1}},
      {"range only", SIF_RANGE, 7, 8, 9, 40, {0, 0, 7, 8, 10, 0, -1}},
      {"track position is never taken", SIF_TRACKPOS, 7, 8, 9, 40, {0, 0, 0, 99, 10, 0, -1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetState(0, 99, 10, 0);
    SCROLLINFO in = {};
    in.fMask = c.mask;
    in.nMin = c.nMin;
    in.nMax = c.nMax;
    in.nPage = c.nPage;
    in.nPos = c.nPos;
    in.nTrackPos = 55;
    m_bar.SetScrollInfo(&in, FALSE);
    SCROLLINFO out = {};
    ASSERT_TRUE(m_bar.GetScrollInfo(&out, SIF_ALL));
    EXPECT_EQ(out.nMin, c.expected.nMin);
    EXPECT_EQ(out.nMax, c.expected.nMax);
    EXPECT_EQ(out.nPage, c.expected.nPage);
    EXPECT_EQ(out.nPos, c.expected.nPos);
    EXPECT_EQ(out.nTrackPos, c.expected.nTrackPos);
  }
}

TEST_F(SkinScrollBarTest, PressSendsAtOnceAndOnEveryTick) {
  struct Case {
    const char* name;
    int nPos;
    int y;
    int code;
  };
  const Case cases[] = {
      {"up arrow", 0, 5, SB_LINEUP},
      {"down arrow", 0, 190, SB_LINEDOWN},
      {"below the thumb", 0, 100, SB_PAGEDOWN},
      {"above the thumb", 90, 100, SB_PAGEUP},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetState(0, 99, 10, c.nPos);
    m_parent.notes.clear();
    Mouse(WM_LBUTTONDOWN, c.y);
    ASSERT_EQ(m_parent.notes.size(), 1u);
    EXPECT_EQ(m_parent.notes[0].code, c.code);
    Tick();
    Tick();
    ASSERT_EQ(m_parent.notes.size(), 3u);
    EXPECT_EQ(m_parent.notes[2].code, c.code);
    Mouse(WM_LBUTTONUP, c.y);
    EXPECT_EQ(m_bar.GetPressedPart(), -1);
    Tick();
    EXPECT_EQ(m_parent.notes.size(), 3u) << "no repeat after the release";
  }
}

TEST_F(SkinScrollBarTest, RepeatStopsOffThePartAndGoesOnWhenBack) {
  Mouse(WM_LBUTTONDOWN, 190);
  ASSERT_EQ(m_parent.notes.size(), 1u);
  Mouse(WM_MOUSEMOVE, 100);  // off the down arrow
  EXPECT_FALSE(m_bar.IsPressedInside());
  Tick();
  EXPECT_EQ(m_parent.notes.size(), 1u);
  Mouse(WM_MOUSEMOVE, 195);  // back on it: one at once
  EXPECT_TRUE(m_bar.IsPressedInside());
  EXPECT_EQ(m_parent.notes.size(), 2u);
  m_bar.SendMessage(WM_MOUSELEAVE, 0, 0);  // leaving the bar stops it too
  EXPECT_FALSE(m_bar.IsPressedInside());
  Tick();
  EXPECT_EQ(m_parent.notes.size(), 2u);
  Mouse(WM_LBUTTONUP, -1);
}

TEST_F(SkinScrollBarTest, DragSendsTrackThenPosition) {
  Mouse(WM_LBUTTONDOWN, 20);  // on the thumb (16 to 32)
  EXPECT_TRUE(m_bar.IsDragging());
  EXPECT_TRUE(m_parent.notes.empty()) << "nothing is sent before the thumb moves";
  EXPECT_EQ(TrackPos(), 0);
  Mouse(WM_MOUSEMOVE, 30);  // 10 pixels down
  ASSERT_EQ(m_parent.notes.size(), 1u);
  EXPECT_EQ(m_parent.notes[0].code, SB_THUMBTRACK);
  EXPECT_EQ(m_parent.notes[0].position, 5);
  EXPECT_EQ(TrackPos(), 5);
  Mouse(WM_MOUSEMOVE, 30);  // same place: nothing new
  EXPECT_EQ(m_parent.notes.size(), 1u);
  Mouse(WM_LBUTTONUP, 30);
  ASSERT_EQ(m_parent.notes.size(), 2u);
  EXPECT_EQ(m_parent.notes[1].code, SB_THUMBPOSITION);
  EXPECT_EQ(m_parent.notes[1].position, 5);
  EXPECT_FALSE(m_bar.IsDragging());
  EXPECT_EQ(TrackPos(), -1);
  SCROLLINFO info = {};
  m_bar.GetScrollInfo(&info, SIF_POS);
  EXPECT_EQ(info.nPos, 5);
}

// Another window takes the mouse capture during a press: the press ends cleanly. A
// drag reports the position it reached (the owner takes it), an arrow stops
// repeating; later moves and ticks send nothing.
TEST_F(SkinScrollBarTest, LosingTheCaptureEndsThePress) {
  struct Case {
    const char* name;
    int pressY;
    int moveY;
    std::vector<int> codes;  // everything sent, in order
    int position;            // nPos afterwards
  };
  const Case cases[] = {
      {"a thumb drag", 20, 30, {SB_THUMBTRACK, SB_THUMBPOSITION}, 5},
      {"the down arrow", 190, 190, {SB_LINEDOWN}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetState(0, 99, 10, 0);
    m_parent.notes.clear();
    Mouse(WM_LBUTTONDOWN, c.pressY);
    Mouse(WM_MOUSEMOVE, c.moveY);
    ASSERT_EQ(::GetCapture(), m_bar.GetSafeHwnd());
    ::SetCapture(m_parent);
    EXPECT_FALSE(m_bar.IsDragging());
    EXPECT_EQ(m_bar.GetPressedPart(), -1);
    EXPECT_EQ(TrackPos(), -1);
    Mouse(WM_MOUSEMOVE, c.moveY + 40);
    Tick();
    ::ReleaseCapture();
    ASSERT_EQ(m_parent.notes.size(), c.codes.size());
    for (size_t i = 0; i < c.codes.size(); ++i) EXPECT_EQ(m_parent.notes[i].code, c.codes[i]) << i;
    if (c.codes.back() == SB_THUMBPOSITION) {
      EXPECT_EQ(m_parent.notes.back().position, c.position);
    }
    SCROLLINFO info = {};
    m_bar.GetScrollInfo(&info, SIF_POS);
    EXPECT_EQ(info.nPos, c.position);
  }
}

// A press takes the capture from the window of this thread that held it and gives
// it back at the release while that window is still shown; else it lets it go.
TEST_F(SkinScrollBarTest, ThePressGivesTheCaptureBack) {
  struct Case {
    const char* name;
    bool holder;      // a window holds the capture before the press
    bool hideHolder;  // and is hidden during the press
    bool back;        // the holder has the capture after the release
  };
  const Case cases[] = {
      {"nobody held it", false, false, false},
      {"a shown window held it", true, false, true},
      {"the holder was hidden meanwhile", true, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ui::CWnd holder;
    ASSERT_TRUE(holder.CreateEx(0, nullptr, "holder", WS_POPUP | WS_VISIBLE, RECT{200, 0, 240, 40}, nullptr, 0));
    if (c.holder) ::SetCapture(holder);
    Mouse(WM_LBUTTONDOWN, 190);
    EXPECT_EQ(::GetCapture(), m_bar.GetSafeHwnd());
    if (c.hideHolder) holder.ShowWindow(SW_HIDE);
    Mouse(WM_LBUTTONUP, 190);
    EXPECT_EQ(::GetCapture(), c.back ? holder.GetSafeHwnd() : nullptr);
    ::ReleaseCapture();
  }
}

TEST_F(SkinScrollBarTest, UndraggableThumbs) {
  struct Case {
    const char* name;
    int nMin, nMax;
    UINT nPage;
    int y;
    size_t notesAfterMove;
  };
  const Case cases[] = {
      // The page covers the range: the thumb is drawn with length 0, so a press
      // there is a page press (one note at once, none from the move).
      {"page covers the range", 0, 99, 100, 50, 1},
      // nMax equals nMin: the thumb is there but a drag cannot move it.
      {"nMax equals nMin", 0, 0, 0, 20, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetState(c.nMin, c.nMax, c.nPage, c.nMin);
    m_parent.notes.clear();
    Mouse(WM_LBUTTONDOWN, c.y);
    EXPECT_EQ(m_bar.IsDragging(), c.notesAfterMove == 0);
    Mouse(WM_MOUSEMOVE, c.y + 30);
    EXPECT_EQ(m_parent.notes.size(), c.notesAfterMove);
    for (const tNote& note : m_parent.notes) EXPECT_NE(note.code, SB_THUMBTRACK);
    Mouse(WM_LBUTTONUP, c.y + 30);
  }
}

TEST_F(SkinScrollBarTest, DoubleClickIsOnePress) {
  Mouse(WM_LBUTTONDOWN, 190);
  Mouse(WM_LBUTTONUP, 190);
  EXPECT_EQ(Mouse(WM_LBUTTONDBLCLK, 190), 1);
  Mouse(WM_LBUTTONUP, 190);
  EXPECT_EQ(m_parent.notes.size(), 1u);
}

TEST_F(SkinScrollBarTest, HoverAndLeave) {
  struct Step {
    UINT message;
    int y;
    int hot;
  };
  const Step steps[] = {
      {WM_MOUSEMOVE, 190, SB_LINEDOWN}, {WM_MOUSEMOVE, 100, SB_PAGEDOWN}, {WM_MOUSEMOVE, 20, SB_THUMBTRACK},
      {WM_MOUSEMOVE, 3, SB_LINEUP},     {WM_MOUSELEAVE, 0, -1},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.y);
    Mouse(s.message, s.y);
    EXPECT_EQ(m_bar.GetHotPart(), s.hot);
  }
  EXPECT_TRUE(m_parent.notes.empty());
}

}  // namespace
