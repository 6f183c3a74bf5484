#include "imaging/rotate_kernels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "imaging/processor_features.h"
#include "imaging/test_images.h"

namespace orv {
namespace {

using imaging_test::NoiseImage;
using imaging_test::PaddingOf;
using imaging_test::PixelAt;

using Kernel = void (*)(const ImageView&, const MutableImageView&);

void ExpectTurned(const std::string& name, const ImageView& src, const MutableImageView& dst) {
  for (int y = 0; y < src.width; ++y) {
    for (int x = 0; x < src.height; ++x) {
      ASSERT_EQ(PixelAt(dst, x, y), PixelAt(src, src.width - 1 - y, x))
          << name << ", " << src.width << "x" << src.height << " at " << x << "," << y;
    }
  }
}

// Sizes on both sides of the vector loops' edges: below eight columns or sixteen rows, strips of
// eight columns with and without a short last one and with the first and last two columns of a
// row, tiles of sixteen rows with a short last one, and bands of 1024 rows followed by one of
// 16, 17 or 26 rows or stretched by 15. Odd heights pad the destination rows.
void ExpectEveryPixelTurnedAndPaddingKept(const std::string& name, Kernel turn) {
  const int sizes[][2] = {{8, 16},  {9, 17},    {10, 31},   {17, 16},  {23, 45},   {7, 40},
                          {40, 15}, {12, 1040}, {11, 1041}, {9, 1050}, {26, 1039}, {8, 2063}};
  for (const auto& [w, h] : sizes) {
    const Image src = NoiseImage(w, h, static_cast<unsigned>(w * 7919 + h));
    Image dst = NoiseImage(h, w, 3);
    const std::vector<std::uint8_t> padding = PaddingOf(dst.View());
    turn(src.View(), dst.View());
    ExpectTurned(name, src.View(), dst.View());
    EXPECT_EQ(PaddingOf(dst.View()), padding) << name << ", " << w << "x" << h;
  }
  // Top-down rows on both sides.
  const int w = 21, h = 35;
  std::vector<std::uint8_t> srcBytes(static_cast<std::size_t>(DibStride(w, 24)) * h);
  std::vector<std::uint8_t> dstBytes(static_cast<std::size_t>(DibStride(h, 24)) * w);
  const Image noise = NoiseImage(w, h, 17);
  for (int y = 0; y < h; ++y) {
    const std::uint8_t* row = noise.View().Row(y);
    std::copy(row, row + DibStride(w, 24), srcBytes.begin() + y * DibStride(w, 24));
  }
  const ImageView src{w, h, 24, DibStride(w, 24), srcBytes.data(), nullptr};
  const MutableImageView dst{h, w, 24, DibStride(h, 24), dstBytes.data(), nullptr};
  turn(src, dst);
  ExpectTurned(name + ", top-down", src, dst);
}

TEST(RotateKernels, EveryKernelTurnsEveryPixelAndKeepsThePadding) {
  ExpectEveryPixelTurnedAndPaddingKept("portable", rotate_kernels::TurnPortably);
#if defined(__SSE2__)
  if (HaveSsse3()) ExpectEveryPixelTurnedAndPaddingKept("SSSE3", rotate_kernels::TurnWithSsse3);
  if (HaveAvx2()) ExpectEveryPixelTurnedAndPaddingKept("AVX2", rotate_kernels::TurnWithAvx2);
#endif
}

}  // namespace
}  // namespace orv
