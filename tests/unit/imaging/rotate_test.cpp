#include "imaging/rotate.h"

#include <gtest/gtest.h>

#include <vector>

#include "imaging/test_images.h"

namespace orv {
namespace {

using imaging_test::NoiseImage;
using imaging_test::PaddingOf;
using imaging_test::PixelAt;
using imaging_test::Rgb;
using imaging_test::SetPixel;

Image Turned(const Image& src) {
  Image dst = NoiseImage(src.height(), src.width(), 99);
  EXPECT_TRUE(RotateQuarterTurnLeft(src.View(), dst.View()));
  return dst;
}

TEST(Rotate, CornersOfASquareMoveCounterClockwise) {
  Image square(4, 4);
  const std::uint32_t upperLeft = Rgb(1, 2, 3), upperRight = Rgb(4, 5, 6);
  const std::uint32_t lowerLeft = Rgb(7, 8, 9), lowerRight = Rgb(10, 11, 12);
  SetPixel(square.View(), 0, 0, upperLeft);
  SetPixel(square.View(), 3, 0, upperRight);
  SetPixel(square.View(), 0, 3, lowerLeft);
  SetPixel(square.View(), 3, 3, lowerRight);
  const Image turned = Turned(square);
  EXPECT_EQ(PixelAt(turned.View(), 0, 3), upperLeft);
  EXPECT_EQ(PixelAt(turned.View(), 3, 3), lowerLeft);
  EXPECT_EQ(PixelAt(turned.View(), 3, 0), lowerRight);
  EXPECT_EQ(PixelAt(turned.View(), 0, 0), upperRight);
}

TEST(Rotate, EveryPixelLandsWhereTheQuarterTurnPutsItAndPaddingIsKept) {
  // Sizes across tile edges, and widths whose rows carry padding bytes.
  const int sizes[][2] = {{300, 200}, {1, 1},   {5, 3},   {7, 1},
                          {1, 7},     {37, 19}, {16, 33}, {129, 70}};
  for (const auto& [w, h] : sizes) {
    const Image src = NoiseImage(w, h, static_cast<unsigned>(w * 1000 + h));
    Image dst = NoiseImage(h, w, 7);
    const std::vector<std::uint8_t> padding = PaddingOf(dst.View());
    ASSERT_TRUE(RotateQuarterTurnLeft(src.View(), dst.View()));
    for (int y = 0; y < w; ++y) {
      for (int x = 0; x < h; ++x) {
        ASSERT_EQ(PixelAt(dst.View(), x, y), PixelAt(src.View(), w - 1 - y, x))
            << w << "x" << h << " at " << x << "," << y;
      }
    }
    EXPECT_EQ(PaddingOf(dst.View()), padding) << w << "x" << h;
  }
}

TEST(Rotate, FourTurnsGiveTheStartBack) {
  const Image start = NoiseImage(33, 17, 5);
  const Image back = Turned(Turned(Turned(Turned(start))));
  ASSERT_EQ(back.width(), 33);
  ASSERT_EQ(back.height(), 17);
  for (int y = 0; y < 17; ++y) {
    for (int x = 0; x < 33; ++x) ASSERT_EQ(PixelAt(back.View(), x, y), PixelAt(start.View(), x, y));
  }
}

TEST(Rotate, TopDownAndBottomUpRowsReadAlike) {
  const Image src = NoiseImage(6, 4, 11);
  std::vector<std::uint8_t> topDown(static_cast<std::size_t>(DibStride(4, 24)) * 6);
  const MutableImageView dst{4, 6, 24, DibStride(4, 24), topDown.data(), nullptr};
  ASSERT_TRUE(RotateQuarterTurnLeft(src.View(), dst));
  EXPECT_EQ(PixelAt(dst, 0, 5), PixelAt(src.View(), 0, 0));
  EXPECT_EQ(PixelAt(dst, 3, 0), PixelAt(src.View(), 5, 3));
  EXPECT_EQ(PixelAt(dst, 2, 1), PixelAt(src.View(), 4, 2));
}

TEST(Rotate, RefusesADestinationOfTheWrongShape) {
  const Image src = NoiseImage(6, 4, 1);
  Image sameShape = NoiseImage(6, 4, 2);
  Image eightBit(4, 6, 8);
  const std::vector<std::uint8_t> before = sameShape.bytes();
  EXPECT_FALSE(RotateQuarterTurnLeft(src.View(), sameShape.View()));
  EXPECT_EQ(sameShape.bytes(), before);
  EXPECT_FALSE(RotateQuarterTurnLeft(src.View(), eightBit.View()));
}

}  // namespace
}  // namespace orv
