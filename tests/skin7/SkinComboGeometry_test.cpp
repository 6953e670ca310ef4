// The skinned combo box's arithmetic and colours, as tables. Portable.
#include <gtest/gtest.h>

#include "skin/SkinComboGeometry.h"

namespace {

TEST(SkinComboGeometry, CenterSliceIsStretchedBetweenTheEnds) {
  struct Case {
    const char* name;
    RECT client;
    int left;
    int right;
    int x;
    int width;
  };
  const Case cases[] = {
      {"10-pixel ends on a 120-pixel box", {0, 0, 120, 20}, 10, 10, 10, 100},
      {"uneven ends", {0, 0, 120, 20}, 4, 20, 4, 96},
      {"box no wider than its ends", {0, 0, 20, 20}, 10, 10, 10, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    tComboCenter center = ComboCenterSlice(c.client, c.left, c.right);
    EXPECT_EQ(center.x, c.x);
    EXPECT_EQ(center.width, c.width);
  }
}

TEST(SkinComboGeometry, FrameHeight) {
  struct Case {
    const char* name;
    int count;
    int itemHeight;
    int edges;
    int dropped;
    int expected;
  };
  const Case cases[] = {
      {"3 items of 16 fit", 3, 16, 0, 200, 48},
      {"3 items of 16 fit with the frame's border", 3, 16, 2, 200, 50},
      {"20 items of 16 are cut to the dropped rectangle less 2", 20, 16, 2, 200, 198},
      {"exactly the room left takes the room", 11, 18, 0, 200, 198},
      {"the border counts against the room", 11, 18, 2, 202, 200},
      {"one item short of the room", 1, 197, 0, 200, 197},
      {"no items: the border only", 0, 16, 2, 200, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ComboFrameHeight(c.count, c.itemHeight, c.edges, c.dropped), c.expected);
  }
}

TEST(SkinComboGeometry, ItemBackground) {
  struct Case {
    bool selected;
    bool comboBoxEdit;
    COLORREF expected;
  };
  const Case cases[] = {
      {true, false, 0x00494747},
      {false, false, 0x002B2929},
      {true, true, 0x002B2929},
      {false, true, 0x002B2929},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.selected << c.comboBoxEdit);
    EXPECT_EQ(ComboItemBackground(c.selected, c.comboBoxEdit), c.expected);
  }
  EXPECT_EQ(kComboTextColor, (COLORREF)0x00FFFFFF);
}

}  // namespace
