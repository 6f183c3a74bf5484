#include "imaging/colour_filters.h"

#include <gtest/gtest.h>

#include <vector>

#include "imaging/test_images.h"

namespace orv {
namespace {

using imaging_test::Grey;
using imaging_test::NoiseImage;
using imaging_test::PaddingOf;
using imaging_test::PixelAt;
using imaging_test::Rgb;
using imaging_test::SetPixel;

TEST(ColourFilters, WorkedExamples) {
  Image image(4, 1);
  const std::uint32_t pixels[] = {Rgb(255, 0, 1), Rgb(1, 1, 0), Rgb(255, 255, 255),
                                  Rgb(10, 20, 30)};
  for (int x = 0; x < 4; ++x) SetPixel(image.View(), x, 0, pixels[x]);
  Image negative = image;
  MakeGrey(image.View());
  EXPECT_EQ(PixelAt(image.View(), 0, 0), Rgb(85, 85, 85));
  EXPECT_EQ(PixelAt(image.View(), 1, 0), Rgb(0, 0, 0));  // 2 div 3 rounds down
  EXPECT_EQ(PixelAt(image.View(), 2, 0), Rgb(255, 255, 255));
  MakeNegative(negative.View());
  EXPECT_EQ(PixelAt(negative.View(), 2, 0), Rgb(0, 0, 0));
  EXPECT_EQ(PixelAt(negative.View(), 3, 0), Rgb(245, 235, 225));
}

TEST(ColourFilters, RandomImagesOfOddSizes) {
  for (const auto& [w, h] : {std::pair{1, 1}, {5, 3}, {17, 9}, {33, 7}, {101, 13}}) {
    Image image = NoiseImage(w, h, static_cast<unsigned>(w * h));
    const Image start = image;
    const std::vector<std::uint8_t> padding = PaddingOf(image.View());

    MakeNegative(image.View());
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        ASSERT_EQ(PixelAt(image.View(), x, y), 0xffffff - PixelAt(start.View(), x, y));
      }
    }
    MakeNegative(image.View());
    EXPECT_EQ(image.bytes(), start.bytes());  // twice is the identity, padding untouched

    MakeGrey(image.View());
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        ASSERT_EQ(PixelAt(image.View(), x, y), Grey(PixelAt(start.View(), x, y)));
      }
    }
    const Image grey = image;
    MakeGrey(image.View());
    EXPECT_EQ(image.bytes(), grey.bytes());
    EXPECT_EQ(PaddingOf(image.View()), padding);
  }
}

}  // namespace
}  // namespace orv
