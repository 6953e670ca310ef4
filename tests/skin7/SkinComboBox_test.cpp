// The skinned combo box under Wine: the three-slice face, the item colours, no text
// without a selection, and the list wrapped in the scroll frame on its first colour
// request and placed under the box on drop-down.
#include <windows.h>

#include <gtest/gtest.h>

#include "skin/SkinComboBox.h"
#include "skin/SkinComboGeometry.h"
#include "skin/SkinScrollWnd.h"
#include "tests/skin/SkinWindowTest.h"

#include <string>
#include <vector>

namespace {

using skintest::cCanvas;
using skintest::PictureTga;

const COLORREF kLeft = RGB(200, 0, 0);
const COLORREF kCenter = RGB(0, 200, 0);
const COLORREF kRight = RGB(0, 0, 200);
const COLORREF kScroll = RGB(90, 90, 90);
const COLORREF kBehind = RGB(10, 20, 30);
const skintest::tPalette kPalette = {{'L', kLeft}, {'C', kCenter}, {'R', kRight}, {'S', kScroll}};

std::vector<std::string> Rows(int width, int height, const std::string& pattern) {
  std::string row;
  for (char c : pattern) row += std::string((size_t)(width / (int)pattern.size()), c);
  return std::vector<std::string>((size_t)height, row);
}

const char kScript[] =
    "dialog main {\n"
    "  combobox resolution {\n"
    "    image \"face.tga\" imageScroll \"scroll.tga\"\n"
    "    left 0 0 10 20 center 10 0 10 20 right 20 0 10 20\n"
    "    size 120 200 pos 10 10\n"
    "  }\n"
    "}\n";

// Handles the messages already queued (the frame posts its layout message).
void Pump() {
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
}

class SkinComboBoxTest : public ::testing::Test {
protected:
  SkinComboBoxTest() : m_skin("skin7_combo"), m_parent(300, 260) {
    m_skin.AddImage("face.tga", PictureTga(Rows(30, 20, "LCR"), kPalette));
    m_skin.AddImage("scroll.tga", PictureTga(Rows(144, 48, "S"), kPalette));
  }
  void SetUp() override {
    ASSERT_TRUE(m_skin.Load(kScript));
    m_resource = m_skin.Component<cSkinComboBoxResource>("main", "resolution");
    ASSERT_NE(m_resource, nullptr);
    ASSERT_TRUE(m_combo.Create(m_resource, &m_parent, 77));
  }
  void AddItems(int count) {
    for (int i = 0; i < count; ++i) m_combo.AddString(("mode " + std::to_string(i)).c_str());
  }
  // True when some pixel of the canvas is white (text was drawn).
  static bool HasWhite(const cCanvas& canvas, int width, int height) {
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        if (canvas.At(x, y) == RGB(255, 255, 255)) return true;
    return false;
  }

  skintest::cTestSkin m_skin;
  skintest::cParentWindow m_parent;
  const cSkinComboBoxResource* m_resource = nullptr;
  cSkinComboBox m_combo;
};

TEST_F(SkinComboBoxTest, FaceSlicesAndText) {
  struct Case {
    const char* name;
    int selection;  // -1: none
    bool text;
  };
  const Case cases[] = {{"no selection shows no text", -1, false}, {"the selection is written", 0, true}};
  AddItems(3);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    m_combo.SetCurSel(c.selection);
    cCanvas canvas(120, 20, kBehind);
    m_combo.DrawFace(canvas.Dc(), RECT{0, 0, 120, 20});
    const struct {
      int x;
      COLORREF color;
    } probes[] = {{0, kLeft}, {9, kLeft}, {10, kCenter}, {109, kCenter}, {110, kRight}, {119, kRight}};
    for (const auto& p : probes) {
      SCOPED_TRACE(p.x);
      EXPECT_EQ(canvas.At(p.x, 19), p.color);
    }
    EXPECT_EQ(HasWhite(canvas, 120, 20), c.text);
  }
}

TEST_F(SkinComboBoxTest, ItemColours) {
  AddItems(1);
  struct Case {
    const char* name;
    UINT itemId;
    UINT state;
    COLORREF background;
    bool text;
  };
  const Case cases[] = {
      {"highlighted item", 0, ODS_SELECTED, 0x00494747, true},
      {"plain item", 0, 0, 0x002B2929, true},
      {"the selection field is plain", 0, ODS_SELECTED | ODS_COMBOBOXEDIT, 0x002B2929, true},
      {"item -1 draws nothing", (UINT)-1, ODS_SELECTED, kBehind, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    cCanvas canvas(100, 16, kBehind);
    DRAWITEMSTRUCT item = {};
    item.CtlType = ODT_COMBOBOX;
    item.itemID = c.itemId;
    item.itemState = c.state;
    item.hDC = canvas.Dc();
    item.rcItem = RECT{0, 0, 100, 16};
    m_combo.DrawItem(&item);
    EXPECT_EQ(canvas.At(99, 0), c.background);
    EXPECT_EQ(HasWhite(canvas, 100, 16), c.text);
  }
}

// Each drop-down places the frame under the box; the list fills the frame's client
// area exactly (whatever size the combo box gives it), a short list shows every
// item whole, and the skinned bar runs the frame's full height beside the viewport.
TEST_F(SkinComboBoxTest, TheListIsWrappedOnceAndPlacedOnDropDown) {
  struct Case {
    const char* name;
    int items;
    bool fits;
  };
  const Case cases[] = {{"3 items", 3, true}, {"20 items", 20, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    m_combo.ResetContent();
    AddItems(c.items);
    m_combo.InitDropDown();
    HWND list = m_combo.GetListWindow();
    ASSERT_NE(list, nullptr) << "the list asked for its colours and was wrapped";
    cSkinScrollWnd* frame = cSkinScrollWnd::FromTarget(list);
    ASSERT_NE(frame, nullptr);
    EXPECT_FALSE(frame->GetStyle() & WS_VISIBLE) << "closed again";

    m_combo.ShowDropDown(TRUE);
    Pump();
    RECT box, dropped, placed, client, shown;
    m_combo.GetWindowRect(&box);
    m_combo.GetDroppedControlRect(&dropped);
    frame->GetWindowRect(&placed);
    frame->GetClientRect(&client);
    ::GetWindowRect(list, &shown);
    ::MapWindowPoints(nullptr, frame->GetSafeHwnd(), reinterpret_cast<POINT*>(&shown), 2);
    EXPECT_TRUE(frame->GetStyle() & WS_VISIBLE);
    EXPECT_EQ(placed.left, box.left);
    EXPECT_EQ(placed.top, box.bottom);
    EXPECT_EQ(placed.right - placed.left, dropped.right - dropped.left);
    if (c.fits) {
      EXPECT_EQ(client.bottom, c.items * m_combo.GetItemHeight(0)) << "every item whole";
    } else {
      EXPECT_EQ(placed.bottom - placed.top, dropped.bottom - dropped.top - 2);
    }
    EXPECT_EQ(shown.left, 0);
    EXPECT_EQ(shown.top, 0);
    EXPECT_EQ(shown.right, client.right) << "the list is as wide as the frame's client area";
    EXPECT_EQ(shown.bottom, client.bottom) << "the list is as high as the frame's client area";
    RECT bar, viewport;
    frame->GetVerticalBar().GetWindowRect(&bar);
    ::MapWindowPoints(nullptr, frame->GetSafeHwnd(), reinterpret_cast<POINT*>(&bar), 2);
    ::GetWindowRect(frame->GetViewport(), &viewport);
    ::MapWindowPoints(nullptr, frame->GetSafeHwnd(), reinterpret_cast<POINT*>(&viewport), 2);
    EXPECT_EQ(bar.left, viewport.right) << "no gap between the list and its bar";
    EXPECT_EQ(bar.top, 0);
    EXPECT_EQ(bar.bottom, client.bottom) << "the bar's ends lie inside the frame";
    m_combo.ShowDropDown(FALSE);
    EXPECT_FALSE(frame->GetStyle() & WS_VISIBLE);
    EXPECT_EQ(m_combo.GetListWindow(), list) << "wrapped once";
  }
}

}  // namespace
