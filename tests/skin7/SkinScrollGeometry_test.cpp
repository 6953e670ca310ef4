// The arithmetic of the skinned scroll bar: thumb length, layout, hit test, the part
// a press acts on and the drag position, as tables. Portable: runs natively too.
#include <gtest/gtest.h>

#include "skin/SkinScrollGeometry.h"

namespace {

// The sample scroll image is 144 x 48 pixels: 9 tiles of 16 across.
const int kTile = 144 / 9;
const int kBar = 200;

// nMin 0, nMax 99, nPage 10, at nPos; no drag.
tScrollState Hundred(int pos) { return {0, 99, 10u, pos, -1}; }

TEST(SkinScrollGeometry, ThumbLength) {
  struct Case {
    const char* name;
    uint32_t page;
    int track;
    int64_t range;
    int expected;
  };
  const Case cases[] = {
      {"page 10 of 100 on 168", 10, 168, 100, 16},
      {"page 1 of 1000 is raised to 6", 1, 168, 1000, 6},
      {"track shorter than 6 has none", 10, 5, 100, 0},
      {"track of exactly 6", 1, 6, 1000, 6},
      {"negative track has none", 10, -4, 100, 0},
      {"page wider than the range fills the track", 200, 168, 100, 168},
      {"range 0 fills the track", 10, 168, 0, 168},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ScrollThumbLength(c.page, c.track, c.range), c.expected);
  }
}

TEST(SkinScrollGeometry, PartsAlongTheBar) {
  struct Case {
    const char* name;
    int length;
    tScrollState state;
    tScrollSpan pageUp;
    tScrollSpan thumb;
    tScrollSpan pageDown;
    tScrollSpan lineDown;
  };
  const Case cases[] = {
      {"nPos 0", kBar, Hundred(0), {16, 16}, {16, 32}, {32, 184}, {184, 200}},
      {"nPos 90", kBar, Hundred(90), {16, 168}, {168, 184}, {184, 184}, {184, 200}},
      {"nPos 45", kBar, Hundred(45), {16, 92}, {92, 108}, {108, 184}, {184, 200}},
      {"the drag position is shown while dragging", kBar, {0, 99, 10u, 0, 45}, {16, 92}, {92, 108}, {108, 184},
       {184, 200}},
      {"page 1 of 1000 gets a 6-pixel thumb", kBar, {0, 999, 1u, 0, -1}, {16, 16}, {16, 22}, {22, 184}, {184, 200}},
      {"bar shorter than 2a + 6 at nPos 0", 2 * kTile + 5, Hundred(0), {16, 16}, {16, 16}, {16, 21}, {21, 37}},
      {"bar shorter than 2a + 6 at nPos 90", 2 * kTile + 5, Hundred(90), {16, 21}, {21, 21}, {21, 21}, {21, 37}},
      {"page covering the range draws no thumb", kBar, {0, 99, 100u, 0, -1}, {16, 100}, {100, 100}, {100, 184},
       {184, 200}},
      {"nPos beyond the range keeps the thumb in the track", kBar, Hundred(500), {16, 168}, {168, 184}, {184, 184},
       {184, 200}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    tScrollLayout layout = LayOutScrollBar(kTile, c.length, c.state);
    const struct {
      int part;
      tScrollSpan expected;
    } parts[] = {{kScrollLineUp, {0, 16}},
                 {kScrollPageUp, c.pageUp},
                 {kScrollThumb, c.thumb},
                 {kScrollPageDown, c.pageDown},
                 {kScrollLineDown, c.lineDown}};
    for (const auto& p : parts) {
      SCOPED_TRACE(p.part);
      tScrollSpan span = ScrollPartSpan(layout, p.part);
      EXPECT_EQ(span.start, p.expected.start);
      EXPECT_EQ(span.end, p.expected.end);
    }
    tScrollSpan none = ScrollPartSpan(layout, kScrollNoPart);
    EXPECT_EQ(none.start, none.end);
  }
}

TEST(SkinScrollGeometry, HitTestAndPress) {
  struct Case {
    const char* name;
    int length;
    tScrollState state;
    int c;
    int hit;
    int press;
  };
  const Case cases[] = {
      {"before the bar", kBar, Hundred(0), -5, kScrollLineUp, kScrollLineUp},
      {"first pixel", kBar, Hundred(0), 0, kScrollLineUp, kScrollLineUp},
      {"last pixel of the up arrow", kBar, Hundred(0), 15, kScrollLineUp, kScrollLineUp},
      {"first pixel of the thumb", kBar, Hundred(0), 16, kScrollThumb, kScrollThumb},
      {"last pixel of the thumb", kBar, Hundred(0), 31, kScrollThumb, kScrollThumb},
      {"below the thumb", kBar, Hundred(0), 32, kScrollPageDown, kScrollPageDown},
      {"last page pixel", kBar, Hundred(0), 183, kScrollPageDown, kScrollPageDown},
      {"down arrow", kBar, Hundred(0), 184, kScrollLineDown, kScrollLineDown},
      {"beyond the bar", kBar, Hundred(0), 250, kScrollLineDown, kScrollLineDown},
      {"above the thumb at nPos 90", kBar, Hundred(90), 100, kScrollPageUp, kScrollPageUp},
      {"thumb at nPos 90", kBar, Hundred(90), 168, kScrollThumb, kScrollThumb},
      {"short bar has no thumb", 2 * kTile + 5, Hundred(0), 16, kScrollPageDown, kScrollPageDown},
      {"short bar's down arrow", 2 * kTile + 5, Hundred(0), 21, kScrollLineDown, kScrollLineDown},
      {"zero-length thumb, upper half", kBar, {0, 99, 100u, 0, -1}, 50, kScrollThumb, kScrollPageUp},
      {"zero-length thumb, lower half", kBar, {0, 99, 100u, 0, -1}, 150, kScrollThumb, kScrollPageDown},
      {"zero-length thumb, the arrows stay", kBar, {0, 99, 100u, 0, -1}, 10, kScrollLineUp, kScrollLineUp},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    tScrollLayout layout = LayOutScrollBar(kTile, c.length, c.state);
    EXPECT_EQ(HitTestScrollBar(layout, c.c), c.hit);
    EXPECT_EQ(ScrollPressPart(layout, c.c), c.press);
  }
}

TEST(SkinScrollGeometry, DragPosition) {
  const int kUntouched = -12345;
  struct Case {
    const char* name;
    tScrollState state;
    int startPos;
    int delta;
    bool moves;
    int expected;
  };
  const Case cases[] = {
      {"10 pixels down gives 10 x 90 / 152", Hundred(0), 0, 10, true, 5},
      {"no move", Hundred(0), 0, 0, true, 0},
      {"above the top is held at nMin", Hundred(0), 0, -10, true, 0},
      {"beyond the end is held at nMax - nPage + 1", Hundred(0), 0, 1000, true, 90},
      {"the whole rest is the whole range", Hundred(0), 0, 152, true, 90},
      {"truncated toward zero going up", Hundred(10), 10, -3, true, 9},
      {"from the middle", Hundred(45), 45, -76, true, 0},
      {"nMax equal to nMin", {5, 5, 1u, 5, -1}, 5, 10, false, kUntouched},
      {"thumb filling the track", {0, 99, 100u, 0, -1}, 0, 10, false, kUntouched},
      {"page wider than the range", {0, 99, 500u, 0, -1}, 0, 10, false, kUntouched},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    int position = kUntouched;
    EXPECT_EQ(ScrollDragPosition(kTile, kBar, c.state, c.startPos, c.delta, &position), c.moves);
    EXPECT_EQ(position, c.expected);
  }
}

TEST(SkinScrollGeometry, TileColumns) {
  struct Case {
    int part;
    int vertical;
    int horizontal;
  };
  const Case cases[] = {
      {kScrollLineUp, 0, 4},   {kScrollLineDown, 1, 5}, {kScrollThumb, 2, 6},
      {kScrollPageUp, 3, 7},   {kScrollPageDown, 3, 7}, {kScrollNoPart, -1, -1},
      {kScrollThumbPosition, -1, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.part);
    EXPECT_EQ(ScrollTileColumn(c.part, true), c.vertical);
    EXPECT_EQ(ScrollTileColumn(c.part, false), c.horizontal);
  }
}

}  // namespace
