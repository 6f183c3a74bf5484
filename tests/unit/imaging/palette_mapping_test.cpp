#include "imaging/palette_mapping.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "imaging/test_images.h"

namespace orv {
namespace {

using imaging_test::ImageOfColours;
using imaging_test::NoiseImage;
using imaging_test::PixelAt;
using imaging_test::Rgb;
using imaging_test::RunsImage;

std::uint8_t BruteForceNearest(const Palette& palette, std::uint32_t rgb) {
  const auto channel = [](std::uint32_t c, int shift) {
    return static_cast<int>((c >> shift) & 255);
  };
  int best = 1 << 30, bestIndex = 0;
  for (int i = 0; i < 256; ++i) {
    int d = 0;
    for (const int shift : {0, 8, 16}) {
      const int diff = channel(palette[i], shift) - channel(rgb, shift);
      d += diff * diff;
    }
    if (d < best) {
      best = d;
      bestIndex = i;
    }
  }
  return static_cast<std::uint8_t>(bestIndex);
}

TEST(PaletteMapping, EqualDistancesGoToTheLowestIndex) {
  Palette palette;
  palette.fill(Rgb(255, 255, 255));
  palette[9] = Rgb(0, 100, 0);
  palette[5] = Rgb(100, 0, 0);
  palette[2] = palette[200] = Rgb(0, 0, 200);
  NearestColourFinder finder(palette);
  EXPECT_EQ(finder.Find(Rgb(50, 50, 0)), 5);
  EXPECT_EQ(finder.Find(Rgb(0, 10, 190)), 2);
  EXPECT_EQ(finder.Find(Rgb(250, 250, 250)), 0);  // the first of the whites
  EXPECT_EQ(finder.Find(Rgb(0, 90, 1)), 9);
}

TEST(PaletteMapping, MatchesABruteForceSearch) {
  std::mt19937 rng(11);
  const auto randomColours = [&](int count, std::uint32_t mask) {
    std::vector<std::uint32_t> colours;
    for (int i = 0; i < count; ++i) colours.push_back(rng() & mask);
    return colours;
  };
  const auto randomPalette = [&](int distinct, std::uint32_t mask) {
    const std::vector<std::uint32_t> colours = randomColours(distinct, mask);
    Palette palette;
    for (std::uint32_t& entry : palette) entry = colours[rng() % colours.size()];
    return palette;
  };
  const Palette palettes[] = {randomPalette(256, 0xffffff), randomPalette(5, 0xffffff),
                              randomPalette(256, 0x3f3f3f), randomPalette(60, 0xf0f0f0),
                              randomPalette(1, 0xffffff)};
  const Image pictures[] = {NoiseImage(97, 61, 1),
                            ImageOfColours(131, 7, randomColours(30, 0xffffff), 2),
                            ImageOfColours(33, 45, randomColours(500, 0x1f7fff), 3),
                            RunsImage(301, 9, randomColours(12, 0xffffff), 4)};
  for (const Palette& palette : palettes) {
    for (const Image& picture : pictures) {
      const ImageView src = picture.View();
      Image indices(src.width, src.height, 8);
      ASSERT_TRUE(MapToPalette(src, palette, indices.View()));
      for (int y = 0; y < src.height; ++y) {
        for (int x = 0; x < src.width; ++x) {
          ASSERT_EQ(indices.View().Row(y)[x], BruteForceNearest(palette, PixelAt(src, x, y)))
              << "at " << x << "," << y;
        }
      }
    }
  }
}

}  // namespace
}  // namespace orv
