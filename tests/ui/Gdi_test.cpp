// GDI and device-context owners: each releases what it owns exactly once, moves
// hand ownership over, and the selection guard puts the previous object back.
// Wine's GetGuiResources always answers 0, so a released object is recognised by its
// handle no longer naming an object (GetObjectType 0).
#include <gtest/gtest.h>

#include <functional>

#include "tests/ui/UiTestSupport.h"
#include "ui/Bitmap.h"
#include "ui/Brush.h"
#include "ui/Dc.h"
#include "ui/Font.h"
#include "ui/Pen.h"
#include "ui/Rgn.h"
#include "ui/SelectGuard.h"
#include "ui/Wnd.h"

namespace {

// Creates an owner of one kind, returns the handle it owned; the owner is gone then.
using MakeAndDrop = std::function<HGDIOBJ(HDC screen)>;

struct OwnerCase {
  const char* name;
  MakeAndDrop run;
};

LOGFONTA TestFont() {
  LOGFONTA font = {};
  font.lfHeight = 12;
  lstrcpynA(font.lfFaceName, "Tahoma", LF_FACESIZE);
  return font;
}

const OwnerCase kOwners[] = {
    {"bitmap",
     [](HDC screen) -> HGDIOBJ {
       ui::CBitmap bitmap;
       return bitmap.CreateCompatibleBitmap(screen, 8, 8) ? bitmap.GetSafeHandle() : nullptr;
     }},
    {"font",
     [](HDC) -> HGDIOBJ {
       ui::CFont font;
       LOGFONTA desc = TestFont();
       return font.CreateFontIndirect(&desc) ? font.GetSafeHandle() : nullptr;
     }},
    {"pen",
     [](HDC) -> HGDIOBJ {
       ui::CPen pen;
       return pen.CreatePen(PS_SOLID, 0, RGB(1, 2, 3)) ? pen.GetSafeHandle() : nullptr;
     }},
    {"solid brush",
     [](HDC) -> HGDIOBJ {
       ui::CBrush brush;
       return brush.CreateSolidBrush(RGB(1, 2, 3)) ? brush.GetSafeHandle() : nullptr;
     }},
    {"pattern brush",
     [](HDC screen) -> HGDIOBJ {
       ui::CBitmap tile;
       ui::CBrush brush;
       if (!tile.CreateCompatibleBitmap(screen, 4, 4)) return nullptr;
       return brush.CreatePatternBrush(tile) ? brush.GetSafeHandle() : nullptr;
     }},
    {"region",
     [](HDC) -> HGDIOBJ {
       ui::CRgn region;
       return region.CreateRectRgn(0, 0, 10, 10) ? region.GetSafeHandle() : nullptr;
     }},
    {"memory dc",
     [](HDC screen) -> HGDIOBJ {
       ui::CDC dc;
       return dc.CreateCompatibleDC(screen) ? dc.GetSafeHdc() : nullptr;
     }},
};

TEST(GdiOwners, EachOwnerReleasesItsObject) {
  HDC screen = ::GetDC(nullptr);
  for (const OwnerCase& c : kOwners) {
    SCOPED_TRACE(c.name);
    HGDIOBJ handle = c.run(screen);
    ASSERT_NE(nullptr, handle);
    EXPECT_EQ(0u, ::GetObjectType(handle));
  }
  ::ReleaseDC(nullptr, screen);
}

TEST(GdiOwners, MovesHandOwnershipOverAndDetachGivesItUp) {
  ui::CPen first;
  ASSERT_TRUE(first.CreatePen(PS_SOLID, 0, RGB(5, 5, 5)));
  HPEN handle = first;
  ui::CPen second(std::move(first));
  EXPECT_EQ(nullptr, first.GetSafeHandle());
  EXPECT_EQ(handle, second.GetSafeHandle());
  second = ui::CPen();
  EXPECT_EQ(0u, ::GetObjectType(handle));

  ui::CRgn region;
  ASSERT_TRUE(region.CreateRectRgn(0, 0, 4, 4));
  HRGN kept = region.Detach();
  region.DeleteObject();
  EXPECT_EQ(static_cast<DWORD>(OBJ_REGION), ::GetObjectType(kept));
  region.Attach(kept);
  ASSERT_TRUE(region.CreateRectRgn(0, 0, 2, 2));
  EXPECT_EQ(0u, ::GetObjectType(kept));
}

TEST(GdiOwners, MovedDeviceContextIsReleasedOnce) {
  HDC screen = ::GetDC(nullptr);
  ui::CDC first;
  ASSERT_TRUE(first.CreateCompatibleDC(screen));
  HDC handle = first;
  ui::CDC second(std::move(first));
  EXPECT_EQ(nullptr, first.GetSafeHdc());
  EXPECT_EQ(static_cast<DWORD>(OBJ_MEMDC), ::GetObjectType(handle));
  second.Release();
  EXPECT_EQ(0u, ::GetObjectType(handle));
  ::ReleaseDC(nullptr, screen);
}

TEST(GdiOwners, PaintDcEndsThePaint) {
  ui::CWnd wnd;
  ASSERT_TRUE(wnd.CreateEx(0, nullptr, "paint", WS_POPUP | WS_VISIBLE, uitest::TestRect(), nullptr, 0));
  wnd.Invalidate(FALSE);
  ASSERT_TRUE(::GetUpdateRect(wnd.m_hWnd, nullptr, FALSE));
  {
    ui::CDC dc;
    ASSERT_TRUE(dc.BeginPaint(wnd.m_hWnd));
    EXPECT_FALSE(::GetUpdateRect(wnd.m_hWnd, nullptr, FALSE));
    RECT client;
    wnd.GetClientRect(&client);
    EXPECT_EQ(client.right, dc.GetPaintStruct().rcPaint.right);
  }
  wnd.Invalidate(FALSE);
  EXPECT_TRUE(::GetUpdateRect(wnd.m_hWnd, nullptr, FALSE));
}

struct SelectCase {
  const char* name;
  UINT objectType;
  std::function<HGDIOBJ(HDC)> make;
};

TEST(SelectGuard, PutsThePreviousObjectBack) {
  HDC screen = ::GetDC(nullptr);
  ui::CDC dc;
  ASSERT_TRUE(dc.CreateCompatibleDC(screen));
  const SelectCase cases[] = {
      {"pen", OBJ_PEN, [](HDC) -> HGDIOBJ { return ::CreatePen(PS_SOLID, 0, RGB(1, 1, 1)); }},
      {"brush", OBJ_BRUSH, [](HDC) -> HGDIOBJ { return ::CreateSolidBrush(RGB(1, 1, 1)); }},
      {"bitmap", OBJ_BITMAP, [](HDC s) -> HGDIOBJ { return ::CreateCompatibleBitmap(s, 4, 4); }},
      {"font", OBJ_FONT, [](HDC) -> HGDIOBJ {
         LOGFONTA desc = TestFont();
         return ::CreateFontIndirectA(&desc);
       }},
  };
  for (const SelectCase& c : cases) {
    SCOPED_TRACE(c.name);
    HGDIOBJ object = c.make(screen);
    ASSERT_NE(nullptr, object);
    HGDIOBJ before = ::GetCurrentObject(dc, c.objectType);
    {
      ui::CSelectGuard guard(dc, object);
      EXPECT_TRUE(guard.IsSelected());
      EXPECT_EQ(object, ::GetCurrentObject(dc, c.objectType));
    }
    EXPECT_EQ(before, ::GetCurrentObject(dc, c.objectType));
    ::DeleteObject(object);
  }
  ::ReleaseDC(nullptr, screen);
}

TEST(SelectGuard, AnObjectThatCannotBeSelectedChangesNothing) {
  HDC screen = ::GetDC(nullptr);
  ui::CDC dc;
  ASSERT_TRUE(dc.CreateCompatibleDC(screen));
  HGDIOBJ before = ::GetCurrentObject(dc, OBJ_PEN);
  HPEN gone = ::CreatePen(PS_SOLID, 0, RGB(1, 1, 1));
  ::DeleteObject(gone);
  {
    ui::CSelectGuard guard(dc, gone);
    EXPECT_FALSE(guard.IsSelected());
  }
  EXPECT_EQ(before, ::GetCurrentObject(dc, OBJ_PEN));
  ::ReleaseDC(nullptr, screen);
}

}  // namespace
