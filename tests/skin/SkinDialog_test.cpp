// The skinned dialog, run modally through its real loop while a driver thread looks
// at the window, presses keys and drags it with system mouse input.
#include <windows.h>

#include <gtest/gtest.h>

#include "skin/SkinButton.h"
#include "skin/SkinDialog.h"
#include "tests/driver/Driver.h"
#include "tests/skin/SkinWindowTest.h"

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

using skintest::PictureTga;

const char kDialogClass[] = "#32770";
const char kDialogTitle[] = "skin test dialog";
const COLORREF kPanel = RGB(40, 60, 90);
const COLORREF kMark = RGB(200, 150, 60);
const COLORREF kFace = RGB(0, 0, 200);
const skintest::tPalette kPalette = {{'P', kPanel}, {'M', kMark}, {'0', kFace}};
const UINT_PTR kWatchdogTimer = 77;
const int kTimedOut = 4242;
enum { ID_PUSH = 1000 };

// A 60 x 40 panel with key-coloured corner triangles and a mark at 30, 20; a plain
// 30 x 20 panel.
std::vector<std::string> ShapedPicture() {
  std::vector<std::string> rows(40, std::string(60, 'P'));
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 3 - y; ++x) {
      rows[(size_t)y][(size_t)x] = 'K';
      rows[(size_t)y][(size_t)(59 - x)] = 'K';
      rows[(size_t)(39 - y)][(size_t)x] = 'K';
      rows[(size_t)(39 - y)][(size_t)(59 - x)] = 'K';
    }
  }
  rows[20][30] = 'M';
  return rows;
}

const char kScript[] =
    "dialog shaped {\n"
    "  image \"shaped.tga\"\n"
    "  button push { image \"face.tga\" size 8 4 pos 44 30 }\n"
    "}\n"
    "dialog plain { image \"plain.tga\" }\n";

// Logs OnOK and OnCancel, creates the skin's "push" button when there is one, and
// ends itself after 8 s when nobody ends it.
class cTestDialog : public cSkinDialog {
public:
  std::vector<std::string> calls;

protected:
  int OnCreate(CREATESTRUCTA* cs) override {
    if (cSkinDialog::OnCreate(cs) == -1) return -1;
    m_push.Create(GetResource()->FindComponentAs<cSkinButtonResource>("push"), this, ID_PUSH);
    return 0;
  }
  BOOL OnInitDialog() override {
    SetTimer(kWatchdogTimer, 8000);
    return cSkinDialog::OnInitDialog();
  }
  void OnTimer(UINT_PTR id) override {
    if (id == kWatchdogTimer) EndDialog(kTimedOut);
  }
  void OnOK() override {
    calls.push_back("OnOK");
    cSkinDialog::OnOK();
  }
  void OnCancel() override {
    calls.push_back("OnCancel");
    cSkinDialog::OnCancel();
  }

private:
  cSkinButton m_push;
};

class SkinDialogTest : public ::testing::Test {
protected:
  SkinDialogTest() : m_skin("skin_dialog") {
    m_skin.AddImage("shaped.tga", PictureTga(ShapedPicture(), kPalette));
    m_skin.AddImage("plain.tga", PictureTga(std::vector<std::string>(20, std::string(30, 'P')), kPalette));
    // Three faces of 8 x 4 whose first column is key-coloured.
    m_skin.AddImage("face.tga", PictureTga(std::vector<std::string>(4, "K0000000K0000000K0000000"), kPalette));
  }
  void SetUp() override { ASSERT_TRUE(m_skin.Load(kScript)); }

  // Runs the dialog modally here while action runs on a driver thread once the
  // window shows; the window is null when it never showed.
  INT_PTR RunDriven(cTestDialog& dialog, const char* name, const std::function<void(HWND)>& action) {
    std::thread driver([&action] { action(kqdrive::WaitForWindow(kDialogClass, kDialogTitle, 5000)); });
    INT_PTR result = dialog.DoModal(m_skin.Dialog(name));
    driver.join();
    return result;
  }

  skintest::cTestSkin m_skin;
};

// What the driver saw of the window.
struct tSeen {
  RECT window = {0, 0, 0, 0};
  RECT workArea = {0, 0, 0, 0};
  int regionType = ERROR;
  std::vector<bool> inRegion;
  COLORREF centre = CLR_INVALID;
};

TEST_F(SkinDialogTest, TheWindowTakesTheBackgroundsSizeShapeAndPicture) {
  struct Case {
    const char* dialog;
    int width;
    int height;
    int regionType;
    bool cornersInRegion;
    COLORREF centre;
  };
  const Case cases[] = {
      {"shaped", 60, 40, COMPLEXREGION, false, kMark},
      {"plain", 30, 20, SIMPLEREGION, true, kPanel},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dialog);
    cTestDialog dialog;
    tSeen seen;
    INT_PTR result = RunDriven(dialog, c.dialog, [&](HWND hwnd) {
      if (!hwnd) return;
      ::GetWindowRect(hwnd, &seen.window);
      ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &seen.workArea, 0);
      HRGN region = ::CreateRectRgn(0, 0, 0, 0);
      seen.regionType = ::GetWindowRgn(hwnd, region);
      const POINT probes[] = {{0, 0}, {c.width - 1, 0}, {0, c.height - 1}, {c.width - 1, c.height - 1}};
      for (const POINT& p : probes) seen.inRegion.push_back(::PtInRegion(region, p.x, p.y) != FALSE);
      seen.inRegion.push_back(::PtInRegion(region, c.width / 2, c.height / 2) != FALSE);
      ::DeleteObject(region);
      // The window may show before it is painted.
      kqdrive::WaitUntil(
          [&] {
            HDC dc = ::GetDC(hwnd);
            seen.centre = ::GetPixel(dc, c.width / 2, c.height / 2);
            ::ReleaseDC(hwnd, dc);
            return seen.centre == c.centre;
          },
          3000);
      ::PostMessageA(hwnd, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(seen.window.right - seen.window.left, c.width);
    EXPECT_EQ(seen.window.bottom - seen.window.top, c.height);
    EXPECT_EQ(seen.window.left, seen.workArea.left + (seen.workArea.right - seen.workArea.left - c.width) / 2);
    EXPECT_EQ(seen.window.top, seen.workArea.top + (seen.workArea.bottom - seen.workArea.top - c.height) / 2);
    EXPECT_EQ(seen.regionType, c.regionType);
    const std::vector<bool> expected = {c.cornersInRegion, c.cornersInRegion, c.cornersInRegion, c.cornersInRegion,
                                        true};
    EXPECT_EQ(seen.inRegion, expected) << "four corners, then the centre";
    EXPECT_EQ(seen.centre, c.centre);
  }
}

// The test template clips the children (WS_CLIPCHILDREN, like the launcher), so
// only the button itself can show the background beneath its key-coloured pixels.
TEST_F(SkinDialogTest, TheBackgroundShowsThroughTheButtonsKeyPixels) {
  cTestDialog dialog;
  COLORREF underKey = CLR_INVALID;
  COLORREF face = CLR_INVALID;
  RunDriven(dialog, "shaped", [&](HWND hwnd) {
    if (!hwnd) return;
    kqdrive::WaitUntil(
        [&] {
          HDC dc = ::GetDC(hwnd);
          underKey = ::GetPixel(dc, 44, 31);
          face = ::GetPixel(dc, 45, 31);
          ::ReleaseDC(hwnd, dc);
          return underKey == kPanel && face == kFace;
        },
        3000);
    ::PostMessageA(hwnd, WM_COMMAND, IDCANCEL, 0);
  });
  EXPECT_EQ(underKey, kPanel);
  EXPECT_EQ(face, kFace);
}

TEST_F(SkinDialogTest, EnterAndEscapeReachOkAndCancelTwice) {
  struct Case {
    const char* name;
    UINT key;
    std::vector<std::string> calls;
    INT_PTR result;
  };
  const Case cases[] = {
      {"enter", VK_RETURN, {"OnOK", "OnOK"}, IDOK},
      {"escape", VK_ESCAPE, {"OnCancel", "OnCancel"}, IDCANCEL},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    cTestDialog dialog;
    UINT key = c.key;
    INT_PTR result = RunDriven(dialog, "shaped", [key](HWND hwnd) {
      if (hwnd) kqdrive::PressKey(hwnd, key);
    });
    EXPECT_EQ(dialog.calls, c.calls);
    EXPECT_EQ(result, c.result);
  }
}

// A mouse input at an absolute screen point; flags add a button press or release.
INPUT MouseAt(POINT point, DWORD flags) {
  INPUT input = {};
  input.type = INPUT_MOUSE;
  // Absolute coordinates run from 0 to 65535 over the screen; rounded up, so the
  // system's scaling back lands on the pixel itself.
  int width = ::GetSystemMetrics(SM_CXSCREEN);
  int height = ::GetSystemMetrics(SM_CYSCREEN);
  input.mi.dx = (point.x * 65536 + width - 1) / width;
  input.mi.dy = (point.y * 65536 + height - 1) / height;
  input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | flags;
  return input;
}

// Presses the left button at start, moves the pointer to end and releases it, as
// system input.
void DragWithTheMouse(POINT start, POINT end) {
  INPUT press[] = {MouseAt(start, 0), MouseAt(start, MOUSEEVENTF_LEFTDOWN)};
  INPUT move = MouseAt(end, 0);
  INPUT release = MouseAt(end, MOUSEEVENTF_LEFTUP);
  ::SendInput(2, press, sizeof(INPUT));
  ::Sleep(100);
  ::SendInput(1, &move, sizeof(INPUT));
  ::Sleep(100);
  ::SendInput(1, &release, sizeof(INPUT));
}

TEST_F(SkinDialogTest, APressOnTheBackgroundDragsTheWindow) {
  const POINT offset = {40, 30};
  cTestDialog dialog;
  RECT before = {0, 0, 0, 0};
  RECT after = {0, 0, 0, 0};
  RunDriven(dialog, "shaped", [&](HWND hwnd) {
    if (!hwnd) return;
    ::GetWindowRect(hwnd, &before);
    // A point of the background, away from the button.
    POINT start = {before.left + 10, before.top + 20};
    DragWithTheMouse(start, POINT{start.x + offset.x, start.y + offset.y});
    kqdrive::WaitUntil(
        [&] {
          ::GetWindowRect(hwnd, &after);
          return after.left != before.left || after.top != before.top;
        },
        3000);
    ::PostMessageA(hwnd, WM_COMMAND, IDCANCEL, 0);
  });
  EXPECT_EQ(after.left - before.left, offset.x);
  EXPECT_EQ(after.top - before.top, offset.y);
  EXPECT_EQ(after.right - after.left, 60);
  EXPECT_EQ(dialog.calls, std::vector<std::string>{"OnCancel"});
}

TEST_F(SkinDialogTest, NoWindowWithoutAResource) {
  cTestDialog dialog;
  EXPECT_EQ(dialog.DoModal(nullptr), -1);
  EXPECT_EQ(dialog.DoModal(), -1);
  EXPECT_EQ(dialog.GetSafeHwnd(), nullptr);
}

}  // namespace
