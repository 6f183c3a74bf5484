#include "imaging/pixel_runs.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "imaging/test_images.h"

namespace orv {
namespace {

using imaging_test::PixelAt;
using imaging_test::SetPixel;

// Every pixel reported once, in order, with its own colour; returns how many came flat.
int CheckScan(const Image& image) {
  const ImageView row = image.View();
  int next = 0, flatPixels = 0;
  ScanRow(
      row.Row(0), row.width,
      [&](int x, int length, std::uint32_t rgb) {
        EXPECT_EQ(x, next);
        EXPECT_GE(length, 16);
        for (int k = x; k < x + length; ++k) EXPECT_EQ(PixelAt(row, k, 0), rgb) << "at " << k;
        next = x + length;
        flatPixels += length;
      },
      [&](int x, std::uint32_t rgb) {
        EXPECT_EQ(x, next);
        EXPECT_EQ(PixelAt(row, x, 0), rgb) << "at " << x;
        next = x + 1;
      });
  EXPECT_EQ(next, row.width);
  return flatPixels;
}

TEST(PixelRuns, EveryPixelIsReportedOnceWithItsColour) {
  std::mt19937 rng(9);
  for (const int width : {1, 2, 16, 17, 18, 33, 100, 257}) {
    for (int trial = 0; trial < 20; ++trial) {
      Image image(width, 1);
      // Runs of random lengths in a few colours that differ in one channel only.
      const std::uint32_t colours[] = {0x102030, 0x102031, 0x112030, 0x102130};
      for (int x = 0; x < width;) {
        const std::uint32_t colour = colours[rng() % 4];
        for (int end = x + 1 + static_cast<int>(rng() % 40); x < end && x < width; ++x) {
          SetPixel(image.View(), x, 0, colour);
        }
      }
      CheckScan(image);
    }
  }
}

TEST(PixelRuns, AFlatRowComesAsOneStretchButItsTail) {
  Image image(100, 1);
  for (int x = 0; x < 100; ++x) SetPixel(image.View(), x, 0, 0xabcdef);
#if defined(__SSE2__)
  EXPECT_EQ(CheckScan(image), 96);  // six blocks of sixteen; the last four pixels one by one
#else
  EXPECT_EQ(CheckScan(image), 0);
#endif
}

}  // namespace
}  // namespace orv
