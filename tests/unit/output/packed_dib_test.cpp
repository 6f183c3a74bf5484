#include "output/packed_dib.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "output/bmp_writer.h"
#include "output/test_files.h"

namespace orv {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Pack(const ImageView& image) {
  Bytes packed(PackedDibSize(image), 0xCC);
  EXPECT_TRUE(FillPackedDib(image, packed));
  return packed;
}

Bytes PackV5(const ImageView& image) {
  Bytes packed(PackedDibV5Size(image), 0xCC);
  EXPECT_TRUE(FillPackedDibV5(image, packed));
  return packed;
}

// The BMP writer's output is checked byte for byte elsewhere; the clipboard item must be the
// same bitmap without the 14-byte file header.
Bytes BmpWithoutFileHeader(const ImageView& image) {
  test::ScratchFolder folder;
  EXPECT_TRUE(WriteBmpFile(image, folder / "x.bmp"));
  const Bytes file = test::ReadFileBytes(folder / "x.bmp");
  return Bytes(file.begin() + 14, file.end());
}

TEST(PackedDib, IsTheBitmapFileWithoutItsFileHeader) {
  Image bottomUp(3, 2);
  test::TopDownImage topDown(3, 2);
  test::FillNoise(bottomUp.View());
  for (int y = 0; y < 2; ++y) std::copy_n(bottomUp.View().Row(y), 9, topDown.View().Row(y));
  EXPECT_EQ(PackedDibSize(bottomUp.View()), 40u + 2 * 12);
  EXPECT_EQ(Pack(bottomUp.View()), BmpWithoutFileHeader(bottomUp.View()));
  EXPECT_EQ(Pack(topDown.View()), BmpWithoutFileHeader(bottomUp.View()));

  Image palette(6, 2, 8);
  test::FillPaletteNoise(palette.View());
  EXPECT_EQ(PackedDibSize(palette.View()), 40u + 1024 + 2 * 8);
  EXPECT_EQ(Pack(palette.View()), BmpWithoutFileHeader(palette.View()));
}

TEST(PackedDib, PaletteHeaderAndColourTable) {
  Image image(6, 2, 8);
  test::FillPaletteNoise(image.View());
  const Bytes packed = Pack(image.View());
  // clang-format off
  const Bytes header = {40, 0, 0, 0, 6, 0, 0, 0, 2, 0, 0, 0, 1, 0, 8, 0, 0, 0, 0, 0,
                        16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  // clang-format on
  EXPECT_EQ(Bytes(packed.begin(), packed.begin() + 40), header);
  for (int i = 0; i < 256; ++i) {
    const std::uint32_t color = image.colors()[i];
    const Bytes quad = {static_cast<std::uint8_t>(color), static_cast<std::uint8_t>(color >> 8),
                        static_cast<std::uint8_t>(color >> 16), 0};  // no junk in the last byte
    ASSERT_EQ(Bytes(packed.begin() + 40 + 4 * i, packed.begin() + 44 + 4 * i), quad) << i;
  }
}

TEST(PackedDib, BothFormsRefuseWhatTheyCannotDescribeAndLeaveTheBufferAlone) {
  Image image(4, 4);
  Bytes buffer(PackedDibSize(image.View()) - 1, 0xCC);
  EXPECT_FALSE(FillPackedDib(image.View(), buffer));
  EXPECT_EQ(buffer, Bytes(buffer.size(), 0xCC));
  Bytes bufferV5(PackedDibV5Size(image.View()) - 1, 0xCC);
  EXPECT_FALSE(FillPackedDibV5(image.View(), bufferV5));
  EXPECT_EQ(bufferV5, Bytes(bufferV5.size(), 0xCC));

  Image palette(4, 4, 8);
  ImageView noTable = palette.View();
  noTable.colors = nullptr;
  EXPECT_EQ(PackedDibSize(noTable), 0u);
  ImageView deep = image.View();
  deep.bitsPerPixel = 32;
  EXPECT_EQ(PackedDibSize(deep), 0u);
  EXPECT_EQ(PackedDibSize(Image(0, 4).View()), 0u);
  // 40000 x 40000 x 3 bytes do not fit the header's 32-bit size field; nothing is read.
  ImageView huge{40000, 40000, 24, -120000, image.View().top, nullptr};
  EXPECT_EQ(PackedDibSize(huge), 0u);
  // 36000 x 36000 fits a 24-bit bitmap's size field, but not four bytes a pixel.
  ImageView large{36000, 36000, 24, -108000, image.View().top, nullptr};
  EXPECT_NE(PackedDibSize(large), 0u);
  EXPECT_EQ(PackedDibV5Size(large), 0u);
}

TEST(PackedDibV5, ThirtyTwoBitsWithMasksAndSrgbRowsBottomUpAndOpaqueFromEitherLayout) {
  Image bottomUp(3, 2);
  test::FillNoise(bottomUp.View());
  test::TopDownImage topDown(3, 2);
  for (int y = 0; y < 2; ++y) std::copy_n(bottomUp.View().Row(y), 9, topDown.View().Row(y));
  // clang-format off
  Bytes expected = {124, 0, 0, 0,  3, 0, 0, 0,  2, 0, 0, 0,  1, 0, 32, 0,  3, 0, 0, 0,  24, 0, 0, 0,
                    0, 0, 0, 0,  0, 0, 0, 0,  0, 0, 0, 0,  0, 0, 0, 0,
                    0, 0, 0xFF, 0,  0, 0xFF, 0, 0,  0xFF, 0, 0, 0,  0, 0, 0, 0xFF,  'B', 'G', 'R', 's'};
  // clang-format on
  expected.resize(108);                           // end points and gammas unused
  expected.insert(expected.end(), {4, 0, 0, 0});  // LCS_GM_IMAGES
  expected.resize(124);
  for (int y = 1; y >= 0; --y) {
    for (int x = 0; x < 3; ++x) {
      const std::uint8_t* p = bottomUp.View().Row(y) + 3 * x;
      expected.insert(expected.end(), {p[0], p[1], p[2], 0xFF});
    }
  }
  EXPECT_EQ(PackV5(bottomUp.View()), expected);
  EXPECT_EQ(PackV5(topDown.View()), expected);

  Image palette(1, 1, 8);
  test::FillPaletteNoise(palette.View());  // junk in the colours' top byte
  const std::uint32_t c = palette.colors()[palette.View().Row(0)[0]];
  const Bytes fromPalette = PackV5(palette.View());
  EXPECT_EQ(Bytes(fromPalette.begin() + 124, fromPalette.end()),
            (Bytes{static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(c >> 8),
                   static_cast<std::uint8_t>(c >> 16), 0xFF}));
}

}  // namespace
}  // namespace orv
