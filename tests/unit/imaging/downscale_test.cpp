#include "imaging/downscale.h"

#include <gtest/gtest.h>

#include <random>

namespace orv {
namespace {

void SetPixel(Image& image, int x, int y, std::uint8_t b, std::uint8_t g, std::uint8_t r) {
  std::uint8_t* p = image.View().Row(y) + x * 3;
  p[0] = b;
  p[1] = g;
  p[2] = r;
}
const std::uint8_t* PixelOf(const Image& image, int x, int y) {
  return image.View().Row(y) + x * 3;
}

TEST(ScaleByAveraging, EveryTargetPixelIsTheRoundedMeanOfItsSourceBox) {
  // 5 x 3 into 2 x 1: columns 0..1 and 2..4, all three rows.
  Image src(5, 3);
  std::mt19937 random(7);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 5; ++x) {
      SetPixel(src, x, y, random() % 256, random() % 256, random() % 256);
    }
  }
  Image dst(2, 1);
  ASSERT_TRUE(ScaleByAveraging(src.View(), dst.View()));
  const int boxes[2][2] = {{0, 2}, {2, 5}};
  for (int cell = 0; cell < 2; ++cell) {
    for (int channel = 0; channel < 3; ++channel) {
      int sum = 0, count = 0;
      for (int y = 0; y < 3; ++y) {
        for (int x = boxes[cell][0]; x < boxes[cell][1]; ++x, ++count)
          sum += PixelOf(src, x, y)[channel];
      }
      EXPECT_EQ(PixelOf(dst, cell, 0)[channel], (sum + count / 2) / count) << cell << channel;
    }
  }
}

TEST(ScaleByAveraging, SameSizeCopiesAndEnlargingRepeatsPixels) {
  Image src(2, 2);
  SetPixel(src, 0, 0, 10, 20, 30);
  SetPixel(src, 1, 0, 40, 50, 60);
  SetPixel(src, 0, 1, 70, 80, 90);
  SetPixel(src, 1, 1, 100, 110, 120);
  Image same(2, 2);
  ASSERT_TRUE(ScaleByAveraging(src.View(), same.View()));
  EXPECT_EQ(same.bytes(), src.bytes());

  Image big(4, 4);
  ASSERT_TRUE(ScaleByAveraging(src.View(), big.View()));
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) {
      EXPECT_EQ(PixelOf(big, x, y)[0], PixelOf(src, x / 2, y / 2)[0]) << x << "," << y;
    }
  }
}

TEST(ScaleByAveraging, RefusesWhatItCannotScale) {
  Image src(4, 4), empty(0, 0), eight(2, 2, 8);
  Image dst(2, 2);
  EXPECT_FALSE(ScaleByAveraging(empty.View(), dst.View()));
  EXPECT_FALSE(ScaleByAveraging(src.View(), empty.View()));
  EXPECT_FALSE(ScaleByAveraging(eight.View(), dst.View()));
}

}  // namespace
}  // namespace orv
