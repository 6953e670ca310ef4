// The TGA reader, the DIB that the launcher builds from it, and the image load of
// the skin resources.
#include "files/FileSystem.h"
#include "skin/SkinBitmap.h"
#include "skin/SkinComponentResource.h"
#include "skin/TgaImage.h"
#include "tests/skin/SkinTestFiles.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

bool Decode(cTgaImage& image, const std::string& file) {
  return image.Read(reinterpret_cast<const uint8_t*>(file.data()), (uint32_t)file.size());
}

std::string PixelsOf(const cTgaImage& image) {
  if (image.GetPixels() == nullptr) {
    return std::string();
  }
  return std::string(reinterpret_cast<const char*>(image.GetPixels()), image.GetSize());
}

// Every DIB row, padding included, bottom row first.
std::string DibOf(const cSkinBitmap& bitmap) {
  std::string out;
  for (int row = 0; row < bitmap.GetHeight(); ++row) {
    out.append(reinterpret_cast<const char*>(bitmap.GetRow(row)), (size_t)bitmap.GetRowLength());
  }
  return out;
}

// One pixel of the file (B, G, R) and the same pixel decoded (R, G, B).
const std::string kFilePixel = Bytes({1, 2, 3});
const std::string kPixel = Bytes({3, 2, 1});
const std::string kFilePixel2 = Bytes({4, 5, 6});
const std::string kPixel2 = Bytes({6, 5, 4});

TEST(TgaReader, AcceptsOnlyTheListedTypesAndDepths) {
  struct Case {
    int type;
    int depth;
    const char* refusal;  // null when accepted
  };
  const Case cases[] = {
      {1, 8, nullptr},  {2, 24, nullptr}, {2, 32, nullptr}, {3, 8, nullptr},
      {10, 24, nullptr}, {11, 8, nullptr}, {10, 32, nullptr}, {0, 24, "image type 0"},
      {9, 8, "image type 9"}, {32, 24, "image type 32"}, {2, 16, "pixel depth 16"}, {2, 15, "pixel depth 15"},
      {10, 16, "pixel depth 16"}, {3, 0, "pixel depth 0"},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE("type " + std::to_string(row.type) + ", depth " + std::to_string(row.depth));
    int bytesPerPixel = row.depth / 8 > 0 ? row.depth / 8 : 1;
    bool runLength = row.type >= 8;
    std::string body = runLength ? Bytes({0x81}) + std::string((size_t)bytesPerPixel, '\x07')
                                 : std::string((size_t)(2 * bytesPerPixel), '\x07');
    cTgaImage image;
    bool read = Decode(image, MakeTga({row.type, 2, 1, row.depth}, body));
    if (row.refusal == nullptr) {
      EXPECT_TRUE(read) << image.GetError();
      EXPECT_EQ(image.GetWidth(), 2u);
      EXPECT_EQ(image.GetBytesPerPixel(), (uint32_t)(row.depth / 8));
    } else {
      EXPECT_FALSE(read);
      EXPECT_NE(image.GetError().find(row.refusal), std::string::npos) << image.GetError();
      EXPECT_EQ(image.GetPixels(), nullptr);
    }
  }
}

TEST(TgaReader, DecodesUncompressedPixels) {
  struct Case {
    const char* name;
    TgaHeader header;
    std::string body;
    std::string expected;
  };
  const Case cases[] = {
      {"24-bit pixels turn to R, G, B", {2, 2, 1, 24}, kFilePixel + kFilePixel2, kPixel + kPixel2},
      {"32-bit pixels keep alpha last", {2, 1, 1, 32}, Bytes({1, 2, 3, 4}), Bytes({3, 2, 1, 4})},
      {"8-bit pixels stay as stored", {3, 3, 1, 8}, Bytes({10, 20, 30}), Bytes({10, 20, 30})},
      {"type 1 reads as uncompressed", {1, 2, 1, 8}, Bytes({5, 6}), Bytes({5, 6})},
      {"the ID field is skipped", {2, 1, 1, 24, 3}, kFilePixel, kPixel},
      {"a file holding only the first row leaves the rest black", {2, 4, 2, 24}, Repeat(kFilePixel, 4),
       Repeat(kPixel, 4) + std::string(12, '\0')},
      {"bytes after the image are ignored", {2, 1, 1, 24}, kFilePixel + kFilePixel2, kPixel},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(row.name);
    cTgaImage image;
    ASSERT_TRUE(Decode(image, MakeTga(row.header, row.body))) << image.GetError();
    EXPECT_EQ(image.GetWidth(), (uint32_t)row.header.width);
    EXPECT_EQ(image.GetHeight(), (uint32_t)row.header.height);
    EXPECT_EQ(PixelsOf(image), row.expected);
  }
}

TEST(TgaReader, DecodesRunLengthPackets) {
  struct Case {
    const char* name;
    TgaHeader header;
    std::string body;
    std::string expected;
  };
  std::string counting;
  for (int i = 0; i < 128; ++i) {
    counting += (char)i;
  }
  const Case cases[] = {
      {"run 0x80 yields one pixel", {10, 1, 1, 24}, Bytes({0x80}) + kFilePixel, kPixel},
      {"run 0xFF yields 128 pixels", {10, 128, 1, 24}, Bytes({0xFF}) + kFilePixel, Repeat(kPixel, 128)},
      {"raw 0x00 yields one pixel", {10, 1, 1, 24}, Bytes({0x00}) + kFilePixel, kPixel},
      {"raw 0x7F yields 128 pixels", {11, 128, 1, 8}, Bytes({0x7F}) + counting, counting},
      {"a packet after 128 pixels starts the 129th", {10, 129, 1, 24},
       Bytes({0xFF}) + kFilePixel + Bytes({0x00}) + kFilePixel2, Repeat(kPixel, 128) + kPixel2},
      {"packets run across rows", {10, 2, 2, 24}, Bytes({0x82}) + kFilePixel + Bytes({0x00}) + kFilePixel2,
       Repeat(kPixel, 3) + kPixel2},
      {"a 32-bit run keeps alpha", {10, 2, 1, 32}, Bytes({0x81, 1, 2, 3, 4}), Bytes({3, 2, 1, 4, 3, 2, 1, 4})},
      {"a run past the image is cut at its end", {10, 2, 1, 24}, Bytes({0x83}) + kFilePixel, Repeat(kPixel, 2)},
      {"a raw packet past the image is cut at its end", {10, 2, 1, 24},
       Bytes({0x02}) + kFilePixel + kFilePixel2 + Bytes({7, 8, 9}), kPixel + kPixel2},
      {"a last raw packet cut by the file keeps zeros", {10, 3, 1, 24}, Bytes({0x02, 1, 2, 3, 4}),
       Bytes({3, 2, 1, 0, 0, 4, 0, 0, 0})},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(row.name);
    cTgaImage image;
    ASSERT_TRUE(Decode(image, MakeTga(row.header, row.body))) << image.GetError();
    EXPECT_EQ(PixelsOf(image), row.expected);
  }
}

TEST(TgaReader, RefusesDamagedFiles) {
  struct Case {
    const char* name;
    std::string file;
    const char* reason;
  };
  const std::string header = MakeTga({2, 1, 1, 24}, "");
  const Case cases[] = {
      {"an empty file", "", "shorter than the 18-byte"},
      {"a header cut short", header.substr(0, 17), "shorter than the 18-byte"},
      {"an ID field cut short", MakeTga({2, 1, 1, 24, 10}, "").substr(0, 23), "ID field"},
      {"no pixel data", header, "no pixel data"},
      {"a width of 0", MakeTga({2, 0, 5, 24}, kFilePixel), "no pixels"},
      {"a height of 0", MakeTga({10, 5, 0, 24}, kFilePixel), "no pixels"},
      {"more than the size limit", MakeTga({2, 65535, 65535, 32}, kFilePixel), "64 MiB"},
      {"run-length data that ends early", MakeTga({10, 2, 1, 24}, Bytes({0x80}) + kFilePixel), "1 of 2 pixels"},
      {"a cut-off run value", MakeTga({10, 2, 1, 24}, Bytes({0x81, 1, 2})), "inside a run value"},
      {"a raw packet header at the end", MakeTga({10, 1, 1, 24}, Bytes({0x00})), "raw packet header"},
      {"far more pixels than the data can hold", MakeTga({11, 65535, 255, 8}, Bytes({0xFF, 0})), "far too short"},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(row.name);
    cTgaImage image;
    EXPECT_FALSE(Decode(image, row.file));
    EXPECT_NE(image.GetError().find(row.reason), std::string::npos) << image.GetError();
    EXPECT_EQ(image.GetPixels(), nullptr);
    EXPECT_EQ(image.GetWidth(), 0u);
  }
}

TEST(TgaReader, LoadReadsThroughTheFileLoader) {
  ScratchDir scratch("tga_load");
  cFileSystem fileSystem;
  WriteFile(scratch.Path() / "one.tga", MakeTga({2, 1, 1, 24}, kFilePixel));
  cTgaImage image;
  ASSERT_TRUE(image.Load((scratch.Folder() + "one.tga").c_str())) << image.GetError();
  EXPECT_EQ(PixelsOf(image), kPixel);
  EXPECT_FALSE(image.Load((scratch.Folder() + "missing.tga").c_str()));
  EXPECT_EQ(image.GetError(), "cannot open the file");
  EXPECT_EQ(image.GetPixels(), nullptr);
}

TEST(SkinBitmap, HoldsTheImageAsDibRowsInFileOrder) {
  struct Case {
    const char* name;
    TgaHeader header;
    std::string body;
    int rowLength;
    std::string dib;
  };
  const std::string row0 = Bytes({1, 2, 3, 4, 5, 6, 7, 8, 9});
  const std::string row1 = Bytes({11, 12, 13, 14, 15, 16, 17, 18, 19});
  const std::string pad3 = std::string(3, '\0');
  const Case cases[] = {
      {"3 x 2 at 24 bits: rows of 9 bytes padded to 12", {2, 3, 2, 24}, row0 + row1, 12, row0 + pad3 + row1 + pad3},
      {"4 x 2 at 24 bits: rows of 12 bytes copied in one piece", {2, 4, 2, 24}, row0 + row1 + row0.substr(0, 6), 12,
       row0 + row1 + row0.substr(0, 6)},
      {"1 x 2 at 32 bits", {2, 1, 2, 32}, Bytes({1, 2, 3, 4, 5, 6, 7, 8}), 4, Bytes({1, 2, 3, 4, 5, 6, 7, 8})},
      {"3 x 1 at 8 bits padded to 4", {3, 3, 1, 8}, Bytes({10, 20, 30}), 4, Bytes({10, 20, 30, 0})},
      {"run-length 2 x 1 at 24 bits", {10, 2, 1, 24}, Bytes({0x81, 1, 2, 3}), 8, Bytes({1, 2, 3, 1, 2, 3, 0, 0})},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(row.name);
    cTgaImage image;
    ASSERT_TRUE(Decode(image, MakeTga(row.header, row.body))) << image.GetError();
    cSkinBitmap bitmap;
    ASSERT_TRUE(bitmap.CreateFromImage(image));
    EXPECT_EQ(bitmap.GetWidth(), row.header.width);
    EXPECT_EQ(bitmap.GetHeight(), row.header.height);
    EXPECT_EQ(bitmap.GetBitCount(), row.header.depth);
    EXPECT_EQ(bitmap.GetRowLength(), row.rowLength);
    EXPECT_EQ(DibOf(bitmap), row.dib);
  }
}

TEST(SkinBitmap, TheFirstFileRowIsTheBottomOfThePicture) {
  cTgaImage image;
  ASSERT_TRUE(Decode(image, MakeTga({2, 1, 2, 24}, Bytes({0, 0, 255, 255, 0, 0}))));
  cSkinBitmap bitmap;
  ASSERT_TRUE(bitmap.CreateFromImage(image));
  EXPECT_EQ(bitmap.GetPixel(0, 0), RGB(0, 0, 255));
  EXPECT_EQ(bitmap.GetPixel(0, 1), SkinKeyColor);
  EXPECT_EQ(bitmap.GetPixel(1, 0), SKIN_NO_PIXEL);
  EXPECT_EQ(bitmap.GetPixel(0, 2), SKIN_NO_PIXEL);
}

TEST(SkinBitmap, EightBitImagesGetAGreyColourTable) {
  cTgaImage image;
  ASSERT_TRUE(Decode(image, MakeTga({3, 2, 1, 8}, Bytes({0, 200}))));
  cSkinBitmap bitmap;
  ASSERT_TRUE(bitmap.CreateFromImage(image));
  const std::vector<uint32_t>& table = bitmap.GetColorTable();
  ASSERT_EQ(table.size(), 256u);
  for (uint32_t i = 0; i < 256; ++i) {
    EXPECT_EQ(table[i], i * 0x010101u) << "entry " << i;
  }
  EXPECT_EQ(bitmap.GetPixel(1, 0), RGB(200, 200, 200));

  ASSERT_TRUE(Decode(image, MakeTga({2, 1, 1, 24}, kFilePixel)));
  ASSERT_TRUE(bitmap.CreateFromImage(image));
  EXPECT_TRUE(bitmap.GetColorTable().empty());
}

TEST(SkinBitmap, RefusesSizesItCannotHold) {
  cSkinBitmap bitmap;
  EXPECT_FALSE(bitmap.Create(0, 1, 24));
  EXPECT_FALSE(bitmap.Create(1, 1, 16));
  EXPECT_FALSE(bitmap.Create(65535, 65535, 32));
  EXPECT_TRUE(bitmap.IsEmpty());
  EXPECT_EQ(bitmap.GetRow(0), nullptr);
  EXPECT_EQ(bitmap.GetPixel(0, 0), SKIN_NO_PIXEL);
}

TEST(SkinImageLoad, ReplacesTheTargetOnlyWhenTheFileReads) {
  ScratchDir scratch("image_load");
  cFileSystem fileSystem;
  WriteFile(scratch.Path() / "wide.tga", MakeTga({2, 3, 1, 24}, Repeat(kFilePixel, 3)));
  WriteFile(scratch.Path() / "grey.tga", MakeTga({9, 1, 1, 8}, Bytes({1})));
  cSkinComponentResource::SetSkinFolder(scratch.Folder());
  cSkinComponentResource resource("test");
  cSkinBitmap target;
  int width = -1;
  int height = -1;
  std::string reason;

  ASSERT_TRUE(resource.LoadImage("wide.tga", target, &width, &height, &reason));
  EXPECT_EQ(width, 3);
  EXPECT_EQ(height, 1);
  EXPECT_EQ(target.GetPixel(2, 0), RGB(3, 2, 1));

  struct Case {
    const char* name;
    const char* reason;
  };
  const Case failures[] = {{"missing.tga", "missing.tga: cannot open the file"}, {"grey.tga", "image type 9"}};
  for (const Case& row : failures) {
    SCOPED_TRACE(row.name);
    EXPECT_FALSE(resource.LoadImage(row.name, target, &width, &height, &reason));
    EXPECT_NE(reason.find(row.reason), std::string::npos) << reason;
    EXPECT_EQ(width, 3);
    EXPECT_EQ(target.GetWidth(), 3);
  }
  EXPECT_TRUE(resource.LoadImage("wide.tga", target, nullptr, nullptr));
}

// TGA files written by ImageMagick, compared with ImageMagick's own reading of
// them (raw samples in file row order). Skipped where ImageMagick is absent.
class ForeignTgaFiles : public ::testing::Test {
protected:
  ForeignTgaFiles() : m_scratch("foreign_tga") {}

  static bool HaveImageMagick() {
    std::string probe = "im-probe.txt";
    int status = std::system(("convert -version > " + probe + " 2>&1").c_str());
    std::string text = ReadFile(probe);
    std::remove(probe.c_str());
    return status == 0 && text.find("ImageMagick") != std::string::npos;
  }

  std::string Run(const std::string& command) {
    int status = std::system(command.c_str());
    EXPECT_EQ(status, 0) << command;
    return command;
  }

  ScratchDir m_scratch;
};

TEST_F(ForeignTgaFiles, DecodeAsImageMagickReadsThem) {
  if (!HaveImageMagick()) {
    GTEST_SKIP() << "ImageMagick's convert is not available";
  }
  struct Case {
    const char* arguments;
    int type;
    const char* samples;  // ImageMagick's raw format of the same channels
  };
  const Case cases[] = {
      {"-size 4x3 xc:red", 2, "rgb"},
      {"-size 5x3 gradient:red-blue", 2, "rgb"},
      {"-size 7x4 gradient:yellow-navy -compress RLE", 10, "rgb"},
      {"-size 4x3 gradient:white-black -type Grayscale", 3, "gray"},
      {"-size 9x2 gradient:white-black -type Grayscale -compress RLE", 11, "gray"},
      {"-size 3x2 gradient:red-blue -alpha set -channel A -evaluate set 50% +channel", 2, "rgba"},
  };
  int n = 0;
  for (const Case& row : cases) {
    SCOPED_TRACE(row.arguments);
    std::string tga = (m_scratch.Path() / ("im" + std::to_string(n) + ".tga")).generic_string();
    std::string raw = (m_scratch.Path() / ("im" + std::to_string(n) + ".raw")).generic_string();
    ++n;
    Run(std::string("convert ") + row.arguments + " \"" + tga + "\"");
    Run("convert \"" + tga + "\" -depth 8 " + row.samples + ":\"" + raw + "\"");
    std::string file = ReadFile(tga);
    ASSERT_GT(file.size(), 18u);
    EXPECT_EQ((int)(uint8_t)file[2], row.type);
    cTgaImage image;
    ASSERT_TRUE(Decode(image, file)) << image.GetError();
    EXPECT_EQ(PixelsOf(image), ReadFile(raw));
  }
}

}  // namespace
