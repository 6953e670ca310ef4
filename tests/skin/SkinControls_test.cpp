// The skinned button and progress bar, drawn into a memory canvas whose pixels the
// tests compare, with their windows in a plain parent.
#include <windows.h>

#include <gtest/gtest.h>

#include "skin/SkinButton.h"
#include "skin/SkinProgressBar.h"
#include "tests/skin/SkinWindowTest.h"

#include <cmath>
#include <string>
#include <vector>

namespace {

using skintest::cCanvas;
using skintest::PictureTga;

const COLORREF kNormal = RGB(0, 0, 200);
const COLORREF kHovered = RGB(0, 200, 0);
const COLORREF kPressed = RGB(200, 200, 0);
const COLORREF kBehind = RGB(255, 255, 255);
const COLORREF kOutline = RGB(255, 214, 120);
const COLORREF kBack = RGB(20, 16, 18);
const COLORREF kTileA = RGB(120, 64, 10);
const COLORREF kTileB = RGB(250, 190, 90);
const skintest::tPalette kPalette = {{'0', kNormal}, {'1', kHovered}, {'2', kPressed}, {'a', kTileA}, {'b', kTileB}};

const int kFaceWidth = 8;
const int kFaceHeight = 4;
const int kBarWidth = 200;
const int kBarHeight = 6;
enum { ID_PUSH = 1000, ID_TOGGLE = 1010, ID_SHORT = 1012, ID_BAR = 1005 };

// Three faces of 8 x 4, each in its own colour with a key-coloured top-left pixel;
// a strip with one face; a pattern tile of 4 x 2 whose first column differs.
const char kScript[] =
    "dialog main {\n"
    "  button push { image \"strip.tga\" size 8 4 pos 10 10 }\n"
    "  button toggle { image \"strip.tga\" size 8 4 pos 30 10 style 1 }\n"
    "  button short { image \"one.tga\" size 8 4 pos 50 10 }\n"
    "  progressbar bar { image \"tile.tga\" size 200 6 pos 0 30 color 255 214 120 backcolor 20 16 18 }\n"
    "}\n";

std::vector<std::string> Strip(const std::string& faces) {
  std::vector<std::string> rows((size_t)kFaceHeight);
  for (char face : faces) {
    for (int y = 0; y < kFaceHeight; ++y) {
      std::string row((size_t)kFaceWidth, face);
      if (y == 0) row[0] = 'K';
      rows[(size_t)y] += row;
    }
  }
  return rows;
}

class SkinControlsTest : public ::testing::Test {
protected:
  SkinControlsTest() : m_skin("skin_controls"), m_parent(260, 60) {
    m_skin.AddImage("strip.tga", PictureTga(Strip("012"), kPalette));
    m_skin.AddImage("one.tga", PictureTga(Strip("0"), kPalette));
    m_skin.AddImage("tile.tga", PictureTga({"abbb", "abbb"}, kPalette));
  }
  void SetUp() override {
    ASSERT_TRUE(m_skin.Load(kScript));
    ASSERT_NE(m_parent.GetSafeHwnd(), nullptr);
  }

  const cSkinButtonResource* Button(const char* name) const {
    return m_skin.Component<cSkinButtonResource>("main", name);
  }

  // The face colour that DrawItem paints with these item state flags; also checks
  // that the key-coloured pixel left the canvas as it was.
  COLORREF DrawnFace(cSkinButton& button, UINT itemState) {
    cCanvas canvas(kFaceWidth, kFaceHeight, kBehind);
    DRAWITEMSTRUCT item = {};
    item.CtlType = ODT_BUTTON;
    item.CtlID = (UINT)button.GetDlgCtrlID();
    item.itemAction = ODA_DRAWENTIRE;
    item.itemState = itemState;
    item.hwndItem = button;
    item.hDC = canvas.Dc();
    item.rcItem = RECT{0, 0, kFaceWidth, kFaceHeight};
    button.DrawItem(&item);
    EXPECT_EQ(canvas.At(0, 0), kBehind) << "the key-coloured pixel is not painted";
    return canvas.At(kFaceWidth - 1, kFaceHeight - 1);
  }

  skintest::cTestSkin m_skin;
  skintest::cParentWindow m_parent;
};

TEST_F(SkinControlsTest, ButtonsDrawTheFaceOfTheirState) {
  struct Case {
    const char* name;
    const char* button;
    UINT itemState;
    bool capture;
    bool checked;
    COLORREF face;
  };
  const Case cases[] = {
      {"push, normal", "push", 0, false, false, kNormal},
      {"push, hovered", "push", 0, true, false, kHovered},
      {"push, pressed", "push", ODS_SELECTED | ODS_FOCUS, true, false, kPressed},
      {"push, disabled", "push", ODS_DISABLED, true, false, kNormal},
      {"toggle, unchecked", "toggle", 0, true, false, kNormal},
      {"toggle, checked", "toggle", 0, false, true, kHovered},
      {"toggle, checked and pressed", "toggle", ODS_SELECTED, true, true, kHovered},
      {"one-face strip, hovered", "short", 0, true, false, kNormal},
      {"one-face strip, pressed", "short", ODS_SELECTED, true, false, kNormal},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    cSkinButton button;
    ASSERT_TRUE(button.Create(Button(c.button), &m_parent, ID_PUSH));
    button.SetCheck(c.checked);
    if (c.capture) button.SetCapture();
    EXPECT_EQ(DrawnFace(button, c.itemState), c.face);
    ::ReleaseCapture();
  }
}

TEST_F(SkinControlsTest, ThePushButtonHoldsTheCaptureWhileThePointerIsOverIt) {
  cSkinButton button;
  ASSERT_TRUE(button.Create(Button("push"), &m_parent, ID_PUSH));
  const LPARAM inside = MAKELPARAM(3, 2);
  const LPARAM outside = MAKELPARAM(kFaceWidth + 5, 2);
  button.SendMessage(WM_MOUSEMOVE, 0, inside);
  EXPECT_EQ(::GetCapture(), button.GetSafeHwnd());
  EXPECT_EQ(DrawnFace(button, 0), kHovered);
  button.SendMessage(WM_MOUSEMOVE, 0, inside);
  EXPECT_EQ(::GetCapture(), button.GetSafeHwnd()) << "moving inside keeps the capture";
  button.SendMessage(WM_MOUSEMOVE, 0, outside);
  EXPECT_EQ(::GetCapture(), nullptr);
  EXPECT_EQ(DrawnFace(button, 0), kNormal);

  // A capture that another window takes away repaints the hovered face.
  button.SendMessage(WM_MOUSEMOVE, 0, inside);
  ASSERT_EQ(::GetCapture(), button.GetSafeHwnd());
  ::ValidateRect(button, nullptr);
  m_parent.SetCapture();
  EXPECT_TRUE(::GetUpdateRect(button, nullptr, FALSE));
  ::ReleaseCapture();
}

TEST_F(SkinControlsTest, ClicksReachTheParentAndInvertAToggle) {
  cSkinButton push;
  cSkinButton toggle;
  ASSERT_TRUE(push.Create(Button("push"), &m_parent, ID_PUSH));
  ASSERT_TRUE(toggle.Create(Button("toggle"), &m_parent, ID_TOGGLE));
  EXPECT_FALSE(toggle.GetCheck());

  toggle.SendMessage(BM_CLICK);
  EXPECT_TRUE(toggle.GetCheck());
  EXPECT_EQ(DrawnFace(toggle, 0), kHovered);
  toggle.SendMessage(BM_CLICK);
  EXPECT_FALSE(toggle.GetCheck()) << "pressed twice returns to unchecked";
  EXPECT_EQ(m_parent.Clicks(ID_TOGGLE), 2);
  // The keyboard's click inverts it as well, so the state and the parent agree.
  toggle.SendMessage(WM_KEYDOWN, VK_SPACE, 0);
  toggle.SendMessage(WM_KEYUP, VK_SPACE, 0);
  EXPECT_EQ(m_parent.Clicks(ID_TOGGLE), 3);
  EXPECT_TRUE(toggle.GetCheck());

  push.SendMessage(BM_CLICK);
  EXPECT_EQ(m_parent.Clicks(ID_PUSH), 1);
  EXPECT_FALSE(push.GetCheck());
}

TEST_F(SkinControlsTest, ControlsAreNotCreatedWithoutResourceOrParentOrTwice) {
  cSkinButton button;
  EXPECT_FALSE(button.Create(nullptr, &m_parent, ID_PUSH));
  EXPECT_FALSE(button.Create(Button("push"), nullptr, ID_PUSH));
  EXPECT_EQ(button.GetSafeHwnd(), nullptr);
  cSkinProgressBar bar;
  EXPECT_FALSE(bar.Create(nullptr, &m_parent, ID_BAR));
  EXPECT_EQ(bar.GetSafeHwnd(), nullptr);
  ASSERT_TRUE(button.Create(Button("push"), &m_parent, ID_PUSH));
  EXPECT_FALSE(button.Create(Button("toggle"), &m_parent, ID_TOGGLE)) << "a second window";
  EXPECT_FALSE(button.IsToggle());
}

TEST_F(SkinControlsTest, TheProgressBarSplitsAtTheTruncatedFraction) {
  struct Case {
    float pos;
    int split;
  };
  const Case cases[] = {
      {0.5f, 100}, {0.999f, 199}, {1.0f, 200}, {0.0f, 0}, {0.004f, 0}, {-0.5f, 0}, {1.5f, 200}, {NAN, 0},
  };
  cSkinProgressBar bar;
  ASSERT_TRUE(bar.Create(m_skin.Component<cSkinProgressBarResource>("main", "bar"), &m_parent, ID_BAR));
  RECT client;
  bar.GetClientRect(&client);
  ASSERT_EQ(client.right, kBarWidth);
  ASSERT_EQ(client.bottom, kBarHeight);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pos);
    bar.SetPos(c.pos);
    cCanvas canvas(kBarWidth, kBarHeight, kBehind);
    bar.Draw(canvas.Dc(), client);
    for (int x = 0; x < kBarWidth; ++x) {
      COLORREF expected = kBack;
      if (x < c.split) {
        // The pattern tiles from the bar's left edge inside a one-pixel outline.
        bool outline = x == 0 || x == c.split - 1;
        expected = outline ? kOutline : x % 4 == 0 ? kTileA : kTileB;
        EXPECT_EQ(canvas.At(x, 0), kOutline) << "top outline at x " << x;
      }
      EXPECT_EQ(canvas.At(x, kBarHeight / 2), expected) << "x " << x;
      if (::testing::Test::HasFailure()) return;
    }
  }
}

TEST_F(SkinControlsTest, TheProgressBarPaintsItsWindow) {
  cSkinProgressBar bar;
  ASSERT_TRUE(bar.Create(m_skin.Component<cSkinProgressBarResource>("main", "bar"), &m_parent, ID_BAR));
  EXPECT_EQ(bar.GetDlgCtrlID(), ID_BAR);
  bar.SetPos(0.25f);
  bar.Invalidate(FALSE);
  bar.UpdateWindow();
  HDC dc = ::GetDC(bar);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(::GetPixel(dc, 20, 2), kTileA);
  EXPECT_EQ(::GetPixel(dc, 21, 2), kTileB);
  EXPECT_EQ(::GetPixel(dc, 49, 2), kOutline);
  EXPECT_EQ(::GetPixel(dc, 50, 2), kBack);
  ::ReleaseDC(bar, dc);
}

}  // namespace
