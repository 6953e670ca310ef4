// The Windows inside of the skin bitmap (a DIB section) and the drawing tools: the
// transparent blit and the window region cut out by the key colour.
#include <windows.h>

#include <gtest/gtest.h>

#include "skin/SkinBitmap.h"
#include "skin/SkinDraw.h"
#include "skin/TgaImage.h"
#include "tests/skin/SkinWindowTest.h"
#include "ui/Dc.h"
#include "ui/Rgn.h"
#include "ui/SelectGuard.h"

#include <string>
#include <vector>

namespace {

using skintest::cCanvas;
using skintest::PictureTga;

const COLORREF kBlue = RGB(0, 0, 255);
const COLORREF kGreen = RGB(0, 160, 0);
const COLORREF kNearKey = RGB(254, 0, 0);
const COLORREF kWhite = RGB(255, 255, 255);
const skintest::tPalette kPalette = {{'B', kBlue}, {'G', kGreen}, {'N', kNearKey}};

// A bitmap decoded from the picture the way the skin loads its images.
bool LoadPicture(cSkinBitmap& bitmap, const std::vector<std::string>& rows) {
  std::string file = PictureTga(rows, kPalette);
  cTgaImage image;
  return image.Read(reinterpret_cast<const uint8_t*>(file.data()), (uint32_t)file.size()) &&
         bitmap.CreateFromImage(image);
}

TEST(SkinBitmapSection, TheRowsAreTheBitsOfADibSection) {
  struct Case {
    int bitCount;
    std::vector<uint8_t> bottomRow;  // pixel 0 and 1 of DIB row 0
    COLORREF pixel1;                 // how pixel 1 of the bottom row draws
  };
  const Case cases[] = {
      {8, {0, 200}, RGB(200, 200, 200)},
      {24, {1, 2, 3, 30, 20, 10}, RGB(10, 20, 30)},
      {32, {1, 2, 3, 0, 30, 20, 10, 0}, RGB(10, 20, 30)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bitCount);
    cSkinBitmap bitmap;
    ASSERT_TRUE(bitmap.Create(3, 2, c.bitCount));
    DIBSECTION section = {};
    ASSERT_EQ(::GetObjectA(bitmap.GetSafeHandle(), sizeof(section), &section), (int)sizeof(section));
    EXPECT_EQ(section.dsBm.bmBits, bitmap.GetRow(0));
    EXPECT_EQ(section.dsBm.bmWidth, 3);
    EXPECT_EQ(section.dsBmih.biHeight, 2);  // bottom-up: row 0 is the bottom row
    EXPECT_EQ(section.dsBm.bmBitsPixel, c.bitCount);
    EXPECT_EQ(section.dsBm.bmWidthBytes, bitmap.GetRowLength());
    EXPECT_EQ(bitmap.GetPixel(1, 1), RGB(0, 0, 0)) << "a new bitmap is all zero";

    std::copy(c.bottomRow.begin(), c.bottomRow.end(), bitmap.GetRow(0));
    ui::CDC dc;
    ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
    ui::CSelectGuard select(dc, bitmap.GetSafeHandle());
    ASSERT_TRUE(select.IsSelected());
    EXPECT_EQ(::GetPixel(dc, 1, 1), c.pixel1) << "an 8-bit picture draws in grey";
    EXPECT_EQ(::GetPixel(dc, 1, 1), bitmap.GetPixel(1, 1));
  }
}

TEST(SkinBitmapSection, TheBitmapOwnsItsSection) {
  cSkinBitmap first;
  cSkinBitmap second;
  ASSERT_TRUE(first.Create(2, 2, 24));
  HBITMAP section = first.GetSafeHandle();
  first.Swap(second);
  EXPECT_EQ(first.GetSafeHandle(), nullptr);
  EXPECT_EQ(second.GetSafeHandle(), section);
  EXPECT_EQ(second.GetWidth(), 2);
  second.Release();
  EXPECT_EQ(second.GetSafeHandle(), nullptr);
  EXPECT_EQ(::GetObjectType(section), 0u) << "the section is deleted";
}

TEST(SkinRegion, CutsKeyColouredPixelsOutRowByRow) {
  struct Case {
    const char* name;
    std::vector<std::string> picture;
    int regionType;
  };
  const Case cases[] = {
      {"no key pixel: the whole rectangle", {"BBBB", "BGGB", "BBBB"}, SIMPLEREGION},
      {"every pixel key: empty", {"KKK", "KKK"}, NULLREGION},
      {"key, key, blue, key loses x 0 to 2 and 3 to 4", {"KKBK", "BBBB"}, COMPLEXREGION},
      {"key-coloured corners", {"KKBBKK", "KBBBBK", "BBGGBB", "KBBBBK", "KKBBKK"}, COMPLEXREGION},
      {"a colour next to the key stays", {"NKN", "KNK"}, COMPLEXREGION},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    cSkinBitmap bitmap;
    ASSERT_TRUE(LoadPicture(bitmap, c.picture));
    ui::CDC dc;
    ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
    ui::CSelectGuard select(dc, bitmap.GetSafeHandle());
    int width = bitmap.GetWidth();
    int height = bitmap.GetHeight();
    ui::CRgn region;
    region.Attach(CreateRgnFromColorKey(dc, width, height, SkinKeyColor));
    ASSERT_NE(region.GetSafeHandle(), nullptr);
    RECT box;
    EXPECT_EQ(::GetRgnBox(region, &box), c.regionType);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        bool opaque = c.picture[(size_t)y][(size_t)x] != 'K';
        EXPECT_EQ(::PtInRegion(region, x, y) != FALSE, opaque) << "pixel " << x << ", " << y;
      }
    }
    EXPECT_FALSE(::PtInRegion(region, width, 0)) << "nothing beyond the picture";
  }
}

TEST(SkinTransparentBlit, LeavesKeyPixelsUnpainted) {
  const std::vector<std::string> picture = {"KBGK", "NKBG"};
  cSkinBitmap bitmap;
  ASSERT_TRUE(LoadPicture(bitmap, picture));
  ui::CDC source;
  ASSERT_TRUE(source.CreateCompatibleDC(nullptr));
  ui::CSelectGuard select(source, bitmap.GetSafeHandle());
  cCanvas canvas(6, 4, kWhite);
  // The right half of the picture to (2, 1).
  ASSERT_TRUE(DrawTransparent(canvas.Dc(), 2, 1, 2, 2, source, 2, 0, 2, 2, SkinKeyColor));
  const std::vector<std::string> expected = {"WWWWWW", "WWGWWW", "WWBGWW", "WWWWWW"};
  const skintest::tPalette drawn = {{'W', kWhite}, {'B', kBlue}, {'G', kGreen}};
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 6; ++x) {
      EXPECT_EQ(canvas.At(x, y), drawn.at(expected[(size_t)y][(size_t)x])) << "pixel " << x << ", " << y;
    }
  }
  // A colour next to the key is drawn.
  ASSERT_TRUE(DrawTransparent(canvas.Dc(), 0, 0, 2, 2, source, 0, 0, 2, 2, SkinKeyColor));
  EXPECT_EQ(canvas.At(0, 0), kWhite);
  EXPECT_EQ(canvas.At(0, 1), kNearKey);
}

}  // namespace
