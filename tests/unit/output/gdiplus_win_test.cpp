// GIF and TIFF files through the system's GDI+: the GIF keeps the bitmap's own colour table, the
// TIFF is written at 24 bits, and a write that fails is reported as failed.
#include "output/gdiplus_win.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "output/test_files.h"
#include "win/dib_image.h"

namespace orv {
namespace {

std::uint16_t Le16(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  return static_cast<std::uint16_t>(bytes.at(at) | bytes.at(at + 1) << 8);
}

TEST(GdiPlusSave, GifKeepsTheBitmapsColourTableAndSize) {
  test::ScratchFolder folder;
  win::DibImage image = win::DibImage::Create(37, 11, 8);
  ASSERT_TRUE(image);
  // Colours in no order that a fixed or sorted palette would have, some of them repeated.
  std::array<std::uint32_t, 256> colors{};
  for (std::uint32_t i = 0; i < 256; ++i) colors[i] = (i * 0x9E3779B1u >> 8) & 0xFFFFFF;
  colors[7] = colors[6];
  image.SetColors(colors);
  const MutableImageView view = image.View();
  for (int y = 0; y < view.height; ++y) {
    for (int x = 0; x < view.width; ++x) view.Row(y)[x] = static_cast<std::uint8_t>(x * 7 + y);
  }

  const std::filesystem::path file = folder / "palette.gif";
  ASSERT_EQ(SaveWithGdiPlus(image.bitmap(), file.wstring(), GdiPlusFormat::Gif),
            GdiPlusResult::Saved);
  const std::vector<std::uint8_t> gif = test::ReadFileBytes(file);
  ASSERT_GE(gif.size(), 13u + 768u);
  EXPECT_EQ(std::string(gif.begin(), gif.begin() + 4), "GIF8");
  EXPECT_EQ(Le16(gif, 6), 37);
  EXPECT_EQ(Le16(gif, 8), 11);
  const std::vector<std::uint32_t> table = test::GifColorTable(gif);
  EXPECT_EQ(table, std::vector<std::uint32_t>(colors.begin(), colors.end()));
}

TEST(GdiPlusSave, TiffHoldsTheTrueColourPicture) {
  test::ScratchFolder folder;
  win::DibImage image = win::DibImage::Create(21, 5);
  ASSERT_TRUE(image);
  test::FillNoise(image.View());

  const std::filesystem::path file = folder / "picture.tif";
  ASSERT_EQ(SaveWithGdiPlus(image.bitmap(), file.wstring(), GdiPlusFormat::Tiff),
            GdiPlusResult::Saved);
  const std::vector<std::uint8_t> tiff = test::ReadFileBytes(file);
  ASSERT_GE(tiff.size(), 21u * 5u * 3u);  // at least the pixels, uncompressed or not
  const bool littleEndian = tiff[0] == 'I' && tiff[1] == 'I' && tiff[2] == 42 && tiff[3] == 0;
  const bool bigEndian = tiff[0] == 'M' && tiff[1] == 'M' && tiff[2] == 0 && tiff[3] == 42;
  EXPECT_TRUE(littleEndian || bigEndian);
}

TEST(GdiPlusSave, AFileThatCannotBeWrittenIsAFailedSave) {
  test::ScratchFolder folder;
  win::DibImage image = win::DibImage::Create(8, 8);
  ASSERT_TRUE(image);
  const std::filesystem::path file = folder / "missing folder" / "x.tif";
  EXPECT_EQ(SaveWithGdiPlus(image.bitmap(), file.wstring(), GdiPlusFormat::Tiff),
            GdiPlusResult::Failed);
  EXPECT_FALSE(std::filesystem::exists(file));
}

}  // namespace
}  // namespace orv
