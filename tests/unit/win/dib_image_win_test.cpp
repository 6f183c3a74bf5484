// A DIB section image handed from one owner to another: the one it leaves holds nothing.
#include "win/dib_image.h"

#include <gtest/gtest.h>

#include <utility>

namespace orv {
namespace {

void ExpectEmpty(win::DibImage& image) {
  EXPECT_FALSE(image);
  EXPECT_EQ(image.size(), Size{});
  EXPECT_EQ(image.View().top, nullptr);
  EXPECT_TRUE(image.Memory().empty());
}

TEST(DibImage, AMovedImageLeavesNoPixelsBehind) {
  win::DibImage first = win::DibImage::Create(4, 3);
  ASSERT_TRUE(first);
  first.View().Row(0)[0] = 0x5A;

  win::DibImage second = std::move(first);
  ExpectEmpty(first);
  ASSERT_TRUE(second);
  EXPECT_EQ(second.size(), (Size{4, 3}));
  EXPECT_EQ(second.View().Row(0)[0], 0x5A);

  win::DibImage third = win::DibImage::Create(2, 2, 8);
  third = std::move(second);
  ExpectEmpty(second);
  EXPECT_EQ(third.size(), (Size{4, 3}));
  EXPECT_EQ(third.bitsPerPixel(), 24);
  EXPECT_EQ(third.View().Row(0)[0], 0x5A);
}

}  // namespace
}  // namespace orv
