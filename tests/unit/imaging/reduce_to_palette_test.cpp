#include "imaging/reduce_to_palette.h"

#include <gtest/gtest.h>

#include <vector>

#include "imaging/adaptive_palette.h"
#include "imaging/test_images.h"

namespace orv {
namespace {

using imaging_test::ImageOfColours;
using imaging_test::PixelAt;
using imaging_test::Rgb;

TEST(ReduceToPalette, TableIsTheAdaptivePaletteAndFewColoursSurviveExactly) {
  std::vector<std::uint32_t> colours;
  for (int i = 1; i <= 16; ++i) colours.push_back(Rgb(i * 15, 255 - i * 9, i * i));
  const Image src = ImageOfColours(203, 77, colours, 5);
  Image reduced(203, 77, 8);
  ASSERT_TRUE(ReduceToPalette(src.View(), reduced.View()));
  EXPECT_EQ(reduced.colors(), BuildAdaptivePalette(src.View()));
  for (int y = 0; y < 77; ++y) {
    for (int x = 0; x < 203; ++x) {
      const std::uint8_t index = reduced.View().Row(y)[x];
      ASSERT_EQ(reduced.colors()[index], PixelAt(src.View(), x, y));
      ASSERT_LE(index, 16);  // the largest colour also fills entries 17 to 255
    }
  }
}

TEST(ReduceToPalette, RefusesATargetWithoutColourTableOrOfAnotherSize) {
  const Image src = ImageOfColours(8, 8, {Rgb(1, 2, 3)}, 1);
  Image reduced(8, 8, 8);
  MutableImageView noTable = reduced.View();
  noTable.colors = nullptr;
  EXPECT_FALSE(ReduceToPalette(src.View(), noTable));
  Image smaller(8, 7, 8);
  EXPECT_FALSE(ReduceToPalette(src.View(), smaller.View()));
}

}  // namespace
}  // namespace orv
