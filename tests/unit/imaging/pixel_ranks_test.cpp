#include "imaging/pixel_ranks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "imaging/test_images.h"

namespace orv {
namespace {

using imaging_test::ImageOfColours;
using imaging_test::NoiseImage;
using imaging_test::PixelAt;

std::vector<std::uint32_t> SortedList(const ImageView& src) {
  std::vector<std::uint32_t> list{0};
  for (int y = 0; y < src.height; ++y) {
    for (int x = 0; x < src.width; ++x) list.push_back(PixelAt(src, x, y));
  }
  std::sort(list.begin(), list.end());
  return list;
}

template <typename Ranks>
void ExpectSameAsSorted(Ranks& ranks, const std::vector<std::uint32_t>& sorted, const char* name) {
  ASSERT_EQ(ranks.size(), sorted.size()) << name;
  for (std::size_t rank = 0; rank < sorted.size(); ++rank) {
    ASSERT_EQ(ranks.ValueAt(rank), sorted[rank]) << name << " at " << rank;
    const auto runEnd = std::upper_bound(sorted.begin(), sorted.end(), sorted[rank]);
    ASSERT_EQ(ranks.RunEnd(rank), static_cast<std::size_t>(runEnd - sorted.begin()))
        << name << " at " << rank;
  }
}

TEST(PixelRanks, BothCountsAnswerAsTheSortedListWould) {
  std::mt19937 rng(3);
  const auto colours = [&](int count, std::uint32_t mask) {
    std::vector<std::uint32_t> c;
    for (int i = 0; i < count; ++i) c.push_back(rng() & mask);
    return c;
  };
  const Image pictures[] = {NoiseImage(61, 43, 1), ImageOfColours(1, 1, {0xffffff}, 2),
                            ImageOfColours(70, 30, colours(4, 0xffffff), 3),
                            ImageOfColours(33, 91, colours(900, 0x00ffff), 4),  // groups 0..15
                            ImageOfColours(50, 50, colours(700, 0xfff00f), 5)};
  for (const Image& picture : pictures) {
    const std::vector<std::uint32_t> sorted = SortedList(picture.View());
    DistinctColourRanks few;
    ASSERT_TRUE(few.Count(picture.View(), sorted.size()));
    ExpectSameAsSorted(few, sorted, "distinct colours");
    GroupedPixelRanks any(picture.View());
    ExpectSameAsSorted(any, sorted, "grouped");
  }
}

TEST(PixelRanks, CountingDistinctColoursGivesUpAboveItsLimit) {
  const Image picture = ImageOfColours(40, 40, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 1);
  DistinctColourRanks few;
  EXPECT_FALSE(few.Count(picture.View(), 10));  // ten colours and the extra black
  EXPECT_TRUE(few.Count(picture.View(), 11));
  EXPECT_EQ(few.ValueAt(0), 0u);
  EXPECT_EQ(few.RunEnd(0), 1u);
}

}  // namespace
}  // namespace orv
