#include "imaging/grey_kernels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "imaging/processor_features.h"
#include "imaging/test_images.h"

namespace orv {
namespace {

using imaging_test::Grey;
using imaging_test::NoiseImage;
using imaging_test::PaddingOf;
using imaging_test::PixelAt;
using imaging_test::Rgb;
using imaging_test::SetPixel;

// Row y holds the colours with sums y, y + 1, ... so each sum 0..765 meets sixteen different
// places in a block of sixteen pixels; the widths cover rows with and without a short tail.
void ExpectGreyForEverySumAtEveryPlace(const std::string& name,
                                       const std::function<void(MutableImageView)>& makeGrey) {
  for (const int width : {766, 771, 15}) {
    Image image = NoiseImage(width, 16, static_cast<unsigned>(width));
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < width; ++x) {
        const int sum = (x + y) % 766;
        const int r = sum > 510 ? sum - 510 : 0, g = sum > 255 ? std::min(sum - 255, 255) : 0;
        SetPixel(image.View(), x, y, Rgb(r, g, sum - r - g));
      }
    }
    const Image before = image;
    const std::vector<std::uint8_t> padding = PaddingOf(image.View());
    makeGrey(image.View());
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < width; ++x) {
        ASSERT_EQ(PixelAt(image.View(), x, y), Grey(PixelAt(before.View(), x, y)))
            << name << ", width " << width << " at " << x << "," << y;
      }
    }
    EXPECT_EQ(PaddingOf(image.View()), padding) << name;
  }
}

TEST(GreyKernels, EverySumTurnsIntoItsThirdAtEveryPlaceOfABlock) {
#if defined(__SSE2__)
  // The kernels do the whole blocks; what they leave must be untouched.
  const auto withKernel = [](int (*kernel)(std::uint8_t*, int)) {
    return [kernel](MutableImageView image) {
      for (int y = 0; y < image.height; ++y) {
        std::uint8_t* row = image.Row(y);
        const int done = kernel(row, image.width);
        EXPECT_EQ(done, image.width / 16 * 16);
        for (int x = done; x < image.width; ++x) {
          const int g = (row[3 * x] + row[3 * x + 1] + row[3 * x + 2]) / 3;
          row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = static_cast<std::uint8_t>(g);
        }
      }
    };
  };
  ExpectGreyForEverySumAtEveryPlace("SSE2", withKernel(grey_kernels::Sse2Blocks));
  if (HaveSsse3()) {
    ExpectGreyForEverySumAtEveryPlace("SSSE3", withKernel(grey_kernels::Ssse3Blocks));
  }
#endif
}

}  // namespace
}  // namespace orv
