#include "imaging/adaptive_palette.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <vector>

#include "imaging/test_images.h"

namespace orv {
namespace {

using imaging_test::ImageOfColours;
using imaging_test::NoiseImage;
using imaging_test::PixelAt;
using imaging_test::Rgb;
using imaging_test::RunsImage;
using imaging_test::SetPixel;

// The rule as plainly as it can be written: sort all pixels and one black, then pick.
Palette ReferencePalette(const ImageView& src) {
  std::vector<std::int32_t> list;
  for (int y = 0; y < src.height; ++y) {
    for (int x = 0; x < src.width; ++x)
      list.push_back(static_cast<std::int32_t>(PixelAt(src, x, y)));
  }
  list.push_back(0);
  std::sort(list.begin(), list.end());
  const std::int64_t n = static_cast<std::int64_t>(list.size()) - 1;
  std::int64_t step = n / 256, i = 0;
  std::int32_t last = list[0] - 1;
  Palette palette{};
  for (int k = 0; k < 256; ++k) {
    if (list[i] != last) {
      palette[k] = list[i];
      last = list[i];
      i = i + step;
    } else {
      while (list[i] == last && i < n) i = i + 1;
      step = (n - i) / (256 - k);
      i = i + step - 1;
      palette[k] = list[i];
      last = list[i];
    }
  }
  return palette;
}

std::vector<std::uint32_t> DistinctColours(std::size_t count, unsigned seed) {
  std::mt19937 rng(seed);
  std::set<std::uint32_t> colours;
  while (colours.size() < count) colours.insert(1 + rng() % 0xffffff);
  return {colours.begin(), colours.end()};  // ascending, no black
}

// Places each colour `copies` times at shuffled positions of a w x h image.
Image Shuffled(int w, int h, const std::vector<std::uint32_t>& colours, int copies) {
  std::vector<std::uint32_t> pixels;
  for (const std::uint32_t c : colours) pixels.insert(pixels.end(), copies, c);
  std::shuffle(pixels.begin(), pixels.end(), std::mt19937(42));
  Image image(w, h);
  for (int i = 0; i < w * h; ++i) SetPixel(image.View(), i % w, i / w, pixels[i]);
  return image;
}

TEST(AdaptivePalette, SmallPictureOfDistinctColoursRepeatsBlackAndMissesTheLargest) {
  const std::vector<std::uint32_t> colours = DistinctColours(100, 1);
  Palette expected{};
  std::copy(colours.begin(), colours.end() - 1, expected.begin() + 157);
  EXPECT_EQ(BuildAdaptivePalette(Shuffled(10, 10, colours, 1).View()), expected);
}

TEST(AdaptivePalette, SixteenColoursAreAllTakenAndTheLargestFillsTheRest) {
  const std::vector<std::uint32_t> colours = DistinctColours(16, 2);
  Palette expected;
  expected.fill(colours.back());
  expected[0] = 0;
  std::copy(colours.begin(), colours.end(), expected.begin() + 1);
  EXPECT_EQ(BuildAdaptivePalette(Shuffled(160, 100, colours, 1000).View()), expected);
}

TEST(AdaptivePalette, RareColoursBesideManyWhitePixelsGiveNineEntries) {
  std::vector<std::uint32_t> rare = DistinctColours(300, 3);
  rare.erase(std::remove(rare.begin(), rare.end(), 0xffffffu), rare.end());
  ASSERT_EQ(rare.size(), 300u);
  std::vector<std::uint32_t> pixels = rare;
  pixels.insert(pixels.end(), 10000, 0xffffff);
  std::shuffle(pixels.begin(), pixels.end(), std::mt19937(3));
  Image image(103, 100);
  for (int i = 0; i < 10300; ++i) SetPixel(image.View(), i % 103, i / 103, pixels[i]);

  Palette expected;
  expected.fill(0xffffff);
  expected[0] = 0;
  for (int k = 1; k <= 7; ++k) expected[k] = rare[40 * k - 1];  // the 40th, 80th, ... smallest
  const std::optional<Palette> palette = BuildAdaptivePalette(image.View());
  ASSERT_TRUE(palette);
  EXPECT_EQ(*palette, expected);
  EXPECT_EQ(std::set<std::uint32_t>(palette->begin(), palette->end()).size(), 9u);
}

TEST(AdaptivePalette, OneColourGivesBlackThenThatColour) {
  for (const auto& [w, h] : {std::pair{16, 16}, {20, 13}, {640, 480}}) {
    const Image image = ImageOfColours(w, h, {Rgb(12, 34, 56)}, 1);
    Palette expected;
    expected.fill(Rgb(12, 34, 56));
    expected[0] = 0;
    EXPECT_EQ(BuildAdaptivePalette(image.View()), expected) << w << "x" << h;
  }
  Palette black{};
  EXPECT_EQ(BuildAdaptivePalette(Image(0, 0).View()), black);
  EXPECT_EQ(BuildAdaptivePalette(Image(1, 1).View()), black);
  EXPECT_FALSE(BuildAdaptivePalette(Image(4, 4, 8).View()));
}

TEST(AdaptivePalette, MatchesTheSortingRuleOnRandomPictures) {
  std::mt19937 rng(7);
  const auto randomColours = [&](int count, std::uint32_t mask, bool withBlack) {
    std::vector<std::uint32_t> colours;
    for (int i = 0; i < count; ++i) colours.push_back(rng() & mask);
    if (withBlack) colours.push_back(0);
    return colours;
  };
  const int sizes[][2] = {{1, 1},   {7, 3},   {16, 16}, {17, 15},   {37, 23},  {101, 67},
                          {300, 1}, {1, 300}, {640, 3}, {250, 250}, {300, 300}};
  unsigned seed = 0;
  for (const auto& [w, h] : sizes) {
    const Image pictures[] = {
        NoiseImage(w, h, ++seed),                                        // nearly all distinct
        ImageOfColours(w, h, randomColours(3, 0xffffff, true), ++seed),  // few, black among them
        ImageOfColours(w, h, randomColours(20, 0xffffff, false), ++seed),
        ImageOfColours(w, h, randomColours(300, 0xffffff, false), ++seed),
        ImageOfColours(w, h, randomColours(500, 0x000fff, true), ++seed),  // one top-bits group
        ImageOfColours(w, h, randomColours(40, 0x0f0f0f, false), ++seed),  // dark, in few groups
        RunsImage(w, h, randomColours(30, 0x010101, true), ++seed),  // flat runs, near colours
    };
    for (const Image& picture : pictures) {
      ASSERT_EQ(BuildAdaptivePalette(picture.View()), ReferencePalette(picture.View()))
          << w << "x" << h << " picture " << seed;
    }
  }
}

}  // namespace
}  // namespace orv
