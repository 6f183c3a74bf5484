#include "imaging/dim.h"

#include <gtest/gtest.h>

#include <vector>

#include "imaging/test_images.h"

namespace orv {
namespace {

using imaging_test::NoiseImage;
using imaging_test::PaddingOf;

int Dimmed(int c) {
  return (c * 127 + 128 * 128) / 255;
}

TEST(Dim, WhiteAndBlackEndNearMidGrey) {
  Image image(2, 1);
  std::uint8_t* row = image.View().Row(0);
  std::fill(row, row + 3, 255);
  DimHalfwayToGrey(image.View());
  EXPECT_EQ(row[0], 191);
  EXPECT_EQ(row[2], 191);
  EXPECT_EQ(row[3], 64);
  EXPECT_EQ(row[5], 64);
}

TEST(Dim, EveryValueFollowsTheBlendAndPaddingIsKept) {
  // Byte i of a row holds (i + y) % 256, so every value meets every byte position of a
  // sixteen-byte block, and the short widths leave tails.
  for (const int width : {256, 261, 5}) {
    Image src = NoiseImage(width, 16, 3);
    for (int y = 0; y < 16; ++y) {
      for (int i = 0; i < 3 * width; ++i) src.View().Row(y)[i] = static_cast<std::uint8_t>(i + y);
    }
    const Image before = src;
    Image dst = NoiseImage(width, 16, 4);
    const std::vector<std::uint8_t> dstPadding = PaddingOf(dst.View());
    ASSERT_TRUE(DimHalfwayToGrey(src.View(), dst.View()));
    EXPECT_EQ(src.bytes(), before.bytes());
    EXPECT_EQ(PaddingOf(dst.View()), dstPadding);
    DimHalfwayToGrey(src.View());
    for (int y = 0; y < 16; ++y) {
      for (int i = 0; i < 3 * width; ++i) {
        ASSERT_EQ(dst.View().Row(y)[i], Dimmed(before.View().Row(y)[i])) << width << " " << i;
        ASSERT_EQ(src.View().Row(y)[i], dst.View().Row(y)[i]);
      }
    }
    EXPECT_EQ(PaddingOf(src.View()), PaddingOf(before.View()));
  }
}

TEST(Dim, WideningKeepsOrDimsEveryValueAndZeroesTheFourthByte) {
  for (const int width : {261, 16, 5}) {
    std::vector<std::uint8_t> in(3 * width);
    for (std::size_t i = 0; i < in.size(); ++i) in[i] = static_cast<std::uint8_t>(i * 7 + 1);
    for (const bool dim : {false, true}) {
      std::vector<std::uint8_t> out(4 * width + 1, 0xAB);
      WidenRow(in.data(), out.data(), width, dim);
      for (int x = 0; x < width; ++x) {
        for (int c = 0; c < 3; ++c) {
          const int source = in[3 * x + c];
          ASSERT_EQ(out[4 * x + c], dim ? Dimmed(source) : source) << width << " " << x;
        }
        ASSERT_EQ(out[4 * x + 3], 0) << width << " " << x;
      }
      EXPECT_EQ(out.back(), 0xAB);  // nothing written past the row
    }
  }
}

}  // namespace
}  // namespace orv
