#include "output/packed_dib.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "output/test_files.h"

namespace orv {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t Le32(const Bytes& bytes, std::size_t at) {
  return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 |
         static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

Bytes Pack(const ImageView& image) {
  Bytes packed(PackedDibSize(image), 0xCC);
  EXPECT_TRUE(FillPackedDib(image, packed));
  return packed;
}

TEST(PackedDib, TrueColourCaptureIsHeaderThenRowsBottomUp) {
  Image image(3, 2);
  test::FillNoise(image.View());
  ASSERT_EQ(PackedDibSize(image.View()), 40u + 2 * 12);
  const Bytes packed = Pack(image.View());

  // clang-format off
  const Bytes header = {40, 0, 0, 0, 3, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0,
                        24, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  // clang-format on
  EXPECT_EQ(Bytes(packed.begin(), packed.begin() + 40), header);
  const ImageView view = image.View();
  for (int y = 0; y < 2; ++y) {
    const std::size_t row = 40 + (1 - y) * 12;  // the top row comes last
    EXPECT_EQ(Bytes(packed.begin() + row, packed.begin() + row + 9),
              Bytes(view.Row(y), view.Row(y) + 9));
    EXPECT_EQ(Bytes(packed.begin() + row + 9, packed.begin() + row + 12), Bytes(3, 0));
  }
}

TEST(PackedDib, LayoutOfTheViewDoesNotMatter) {
  Image bottomUp(5, 3);
  test::TopDownImage topDown(5, 3);
  test::FillNoise(bottomUp.View());
  for (int y = 0; y < 3; ++y) {
    std::copy_n(bottomUp.View().Row(y), 15, topDown.View().Row(y));
  }
  EXPECT_EQ(Pack(topDown.View()), Pack(bottomUp.View()));
}

TEST(PackedDib, PaletteImageHasItsColourTableBeforeTheRows) {
  Image image(6, 2, 8);
  test::FillPaletteNoise(image.View());
  ASSERT_EQ(PackedDibSize(image.View()), 40u + 1024 + 2 * 8);
  const Bytes packed = Pack(image.View());
  EXPECT_EQ(Le32(packed, 0), 40u);
  EXPECT_EQ(Le32(packed, 4), 6u);
  EXPECT_EQ(Le32(packed, 8), 2u);
  EXPECT_EQ(packed[12] | packed[13] << 8, 1);
  EXPECT_EQ(packed[14] | packed[15] << 8, 8);
  EXPECT_EQ(Le32(packed, 16), 0u);   // BI_RGB
  EXPECT_EQ(Le32(packed, 20), 16u);  // image size
  EXPECT_EQ(Le32(packed, 32), 0u);   // 0 colours used: all 256
  for (int i = 0; i < 256; ++i) {
    ASSERT_EQ(Le32(packed, 40 + 4 * i), image.colors()[i] & 0x00FFFFFF) << "entry " << i;
  }
  const ImageView view = image.View();
  const std::size_t rows = 40 + 1024;
  EXPECT_EQ(Bytes(packed.begin() + rows, packed.begin() + rows + 6),
            Bytes(view.Row(1), view.Row(1) + 6));
  EXPECT_EQ(Bytes(packed.begin() + rows + 6, packed.begin() + rows + 8), Bytes(2, 0));
  EXPECT_EQ(Bytes(packed.begin() + rows + 8, packed.begin() + rows + 14),
            Bytes(view.Row(0), view.Row(0) + 6));
}

TEST(PackedDib, RefusesWhatItCannotDescribeAndLeavesTheBufferAlone) {
  Image image(4, 4);
  Bytes buffer(PackedDibSize(image.View()) - 1, 0xCC);
  EXPECT_FALSE(FillPackedDib(image.View(), buffer));
  EXPECT_EQ(buffer, Bytes(buffer.size(), 0xCC));

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
}

}  // namespace
}  // namespace orv
