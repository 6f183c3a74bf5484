// GIF files through the system's GDI+ keep the bitmap's own colour table (the end-to-end tests
// check the pixels of GIF and TIFF files and what a failed write does).
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
  ASSERT_EQ(SaveWithGdiPlus(image.View(), file.wstring(), GdiPlusFormat::Gif),
            GdiPlusResult::Saved);
  const std::vector<std::uint8_t> gif = test::ReadFileBytes(file);
  ASSERT_GE(gif.size(), 13u + 768u);
  EXPECT_EQ(std::string(gif.begin(), gif.begin() + 4), "GIF8");
  EXPECT_EQ(Le16(gif, 6), 37);
  EXPECT_EQ(Le16(gif, 8), 11);
  const std::vector<std::uint32_t> table = test::GifColorTable(gif);
  EXPECT_EQ(table, std::vector<std::uint32_t>(colors.begin(), colors.end()));
}

}  // namespace
}  // namespace orv
