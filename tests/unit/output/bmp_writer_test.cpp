#include "output/bmp_writer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "output/test_files.h"

namespace orv {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::ReadFileBytes;
using test::ScratchFolder;
using test::SetPixel;

TEST(BmpWriter, OnePixelGetsThreeBytesOfPadding) {
  ScratchFolder folder;
  Image image(1, 1);
  SetPixel(image.View(), 0, 0, 0x10, 0x20, 0x30);
  ASSERT_TRUE(WriteBmpFile(image.View(), folder / "one.bmp"));
  // clang-format off
  const Bytes expected = {
      'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,                // file header
      40, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0,  // size .. compression
      4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,    // image size .. colours
      0x30, 0x20, 0x10, 0};
  // clang-format on
  EXPECT_EQ(ReadFileBytes(folder / "one.bmp"), expected);
}

TEST(BmpWriter, RowsGoBottomUpPaddedToFourBytes) {
  ScratchFolder folder;
  Image image(3, 2);
  const MutableImageView view = image.View();
  SetPixel(view, 0, 0, 0xA1, 0xA2, 0xA3);
  SetPixel(view, 1, 0, 0xB1, 0xB2, 0xB3);
  SetPixel(view, 2, 0, 0xC1, 0xC2, 0xC3);
  SetPixel(view, 0, 1, 0xD1, 0xD2, 0xD3);
  SetPixel(view, 1, 1, 0xE1, 0xE2, 0xE3);
  SetPixel(view, 2, 1, 0xF1, 0xF2, 0xF3);
  ASSERT_TRUE(WriteBmpFile(view, folder / "three.bmp"));
  // clang-format off
  const Bytes expected = {
      'B', 'M', 78, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,
      40, 0, 0, 0, 3, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0,
      24, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
      0xD3, 0xD2, 0xD1, 0xE3, 0xE2, 0xE1, 0xF3, 0xF2, 0xF1, 0, 0, 0,  // bottom row first
      0xA3, 0xA2, 0xA1, 0xB3, 0xB2, 0xB1, 0xC3, 0xC2, 0xC1, 0, 0, 0};
  // clang-format on
  EXPECT_EQ(ReadFileBytes(folder / "three.bmp"), expected);
}

TEST(BmpWriter, FourPixelRowsNeedNoPaddingInEitherViewLayout) {
  ScratchFolder folder;
  Image bottomUp(4, 4);
  test::TopDownImage topDown(4, 4);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) {
      const auto r = static_cast<std::uint8_t>(0x10 * y + x);
      SetPixel(bottomUp.View(), x, y, r, static_cast<std::uint8_t>(0x40 + x),
               static_cast<std::uint8_t>(0x80 + y));
      SetPixel(topDown.View(), x, y, r, static_cast<std::uint8_t>(0x40 + x),
               static_cast<std::uint8_t>(0x80 + y));
    }
  }
  ASSERT_TRUE(WriteBmpFile(bottomUp.View(), folder / "bottom-up.bmp"));
  ASSERT_TRUE(WriteBmpFile(topDown.View(), folder / "top-down.bmp"));
  // clang-format off
  const Bytes expected = {
      'B', 'M', 102, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,
      40, 0, 0, 0, 4, 0, 0, 0, 4, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0,
      48, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
      0x83, 0x40, 0x30, 0x83, 0x41, 0x31, 0x83, 0x42, 0x32, 0x83, 0x43, 0x33,  // y = 3
      0x82, 0x40, 0x20, 0x82, 0x41, 0x21, 0x82, 0x42, 0x22, 0x82, 0x43, 0x23,
      0x81, 0x40, 0x10, 0x81, 0x41, 0x11, 0x81, 0x42, 0x12, 0x81, 0x43, 0x13,
      0x80, 0x40, 0x00, 0x80, 0x41, 0x01, 0x80, 0x42, 0x02, 0x80, 0x43, 0x03};
  // clang-format on
  EXPECT_EQ(ReadFileBytes(folder / "bottom-up.bmp"), expected);
  EXPECT_EQ(ReadFileBytes(folder / "top-down.bmp"), expected);
}

TEST(BmpWriter, PaletteImageHasItsColourTableBeforeThePixels) {
  ScratchFolder folder;
  Image image(5, 2, 8);
  test::FillPaletteNoise(image.View());
  ASSERT_TRUE(WriteBmpFile(image.View(), folder / "palette.bmp"));
  const Bytes file = ReadFileBytes(folder / "palette.bmp");
  const Bytes head = {'B', 'M', 0x46, 0x04, 0, 0, 0, 0, 0, 0, 0x36, 0x04, 0, 0};  // 1094, 1078
  ASSERT_EQ(file.size(), 1078u + 2 * 8);
  EXPECT_EQ(Bytes(file.begin(), file.begin() + 14), head);
  EXPECT_EQ(Bytes(file.begin() + 1078, file.begin() + 1083),
            Bytes(image.View().Row(1), image.View().Row(1) + 5));
}

TEST(BmpWriter, WritesUnderANameOutsideTheAnsiCodePage) {
  ScratchFolder folder;
  const std::filesystem::path path = folder.path() / u8"Aufnahme \u00e4\u00df \u5199\u771f.bmp";
  Image image(2, 2);
  ASSERT_TRUE(WriteBmpFile(image.View(), path));
  EXPECT_EQ(ReadFileBytes(path).size(), 54u + 2 * 8);
}

TEST(BmpWriter, FailsWithoutLeavingAFile) {
  ScratchFolder folder;
  Image image(2, 2);
  EXPECT_FALSE(WriteBmpFile(image.View(), folder / "missing" / "a.bmp"));
  EXPECT_FALSE(std::filesystem::exists(folder / "missing"));
  // Nothing that cannot be described by a bitmap header gets a file either.
  EXPECT_FALSE(WriteBmpFile(Image(0, 3).View(), folder / "empty.bmp"));
  ImageView deep = image.View();
  deep.bitsPerPixel = 32;
  EXPECT_FALSE(WriteBmpFile(deep, folder / "deep.bmp"));
  EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
}

}  // namespace
}  // namespace orv
