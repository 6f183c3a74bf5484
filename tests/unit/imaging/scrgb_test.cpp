#include "imaging/scrgb.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "imaging/processor_features.h"
#include "imaging/scrgb_encoding.h"
#include "imaging/scrgb_kernels.h"
#include "imaging/test_images.h"

namespace orv {
namespace {

using scrgb_kernels::HalfOf;
using scrgb_test::LinearOf;
using Colour = std::array<std::uint8_t, 3>;
using Row = void (*)(const scrgb_kernels::Conversion&, const std::uint8_t*, int, std::uint8_t*);

std::vector<Row> Kernels() {
  std::vector<Row> kernels{scrgb_kernels::ConvertRowPortably};
#if defined(__SSE2__)
  if (HaveAvx2() && HaveF16c()) kernels.push_back(scrgb_kernels::ConvertRowWithAvx2);
#endif
  return kernels;
}

// Blue, green, red of each pixel of a row of half floats; the 16 bytes after the row untouched.
std::vector<std::uint8_t> ConvertedRow(Row kernel, const std::vector<std::uint16_t>& halves,
                                       float white) {
  std::vector<std::uint8_t> bgr(3 * halves.size() / 4 + 16, 0xa5);
  kernel(scrgb_kernels::Conversion(1 / white), reinterpret_cast<const std::uint8_t*>(halves.data()),
         static_cast<int>(halves.size() / 4), bgr.data());
  EXPECT_TRUE(std::all_of(bgr.end() - 16, bgr.end(), [](auto b) { return b == 0xa5; }));
  return bgr;
}

// The hue of the HSV model in degrees, also of colours with negative channels, and the angle
// between two hues.
double Hue(double r, double g, double b) {
  const double hi = std::max({r, g, b}), d = hi - std::min({r, g, b});
  return 60 * (hi == r ? (g - b) / d : hi == g ? 2 + (b - r) / d : 4 + (r - g) / d);
}
double Degrees(double a, double b) {
  return std::abs(std::remainder(a - b, 360));
}

TEST(ScRgb, SdrContentComesOutAsOnAnSdrDesk) {
  // Every grey at every white level from 80 to 480 nits, a grid of colours at 80, 200 and 480.
  for (Row kernel : Kernels()) {
    for (int nits = 80; nits <= 480; ++nits) {
      std::vector<int> in;  // 0xRRGGBB
      for (int v = 0; v < 256; ++v) in.push_back(v * 0x010101);
      for (int v = 0; v < 33 * 33 * 33 && (nits == 80 || nits == 200 || nits == 480); ++v) {
        const auto c = [v](int n) { return std::min(255, v / n % 33 * 8); };
        in.push_back(c(1) << 16 | c(33) << 8 | c(33 * 33));
      }
      std::vector<std::uint16_t> halves(4 * in.size());
      for (std::size_t i = 0; i < in.size(); ++i) {
        scrgb_test::PlaceSdr(in[i] >> 16, in[i] >> 8 & 255, in[i] & 255, nits / 80.0f,
                             &halves[4 * i]);
      }
      const std::vector<std::uint8_t> out = ConvertedRow(kernel, halves, nits / 80.0f);
      for (std::size_t i = 0; i < 3 * in.size(); ++i) {
        ASSERT_NEAR(out[i], in[i / 3] >> 8 * (i % 3) & 255, 1) << nits << " nits, " << i / 3;
      }
    }
  }
}

TEST(ScRgb, BrightWideAndBadColoursKeepTheirHueAndNeverDarken) {
  // Linear colours at SDR white: some of sRGB, some beyond it with negative channels.
  const float colours[][3] = {{1, 0.2f, 0},      {1, 0, 0},          {0, 1, 0},
                              {0, 0, 1},         {1, 1, 0},          {0.58f, 0.08f, 1},
                              {-0.2f, 1, -0.1f}, {1, -0.25f, 0.42f}, {-0.03f, 0.13f, 1}};
  for (float white : {1.0f, 2.5f, 6.0f}) {
    for (const auto& c : colours) {
      const auto at = [&](float k) {
        return ScRgbToSrgb(c[0] * white * k, c[1] * white * k, c[2] * white * k, white);
      };
      // At SDR white, the capture's light has the colour's hue, brought into the gamut or not;
      // brighter, the capture keeps its hue and goes towards white; never darker.
      const Colour sdr = at(1);
      EXPECT_LT(
          Degrees(Hue(LinearOf(sdr[0]), LinearOf(sdr[1]), LinearOf(sdr[2])), Hue(c[0], c[1], c[2])),
          2);
      Colour previous{};
      for (float k = 0.05f; k <= 10; k *= 1.02f) {
        const Colour out = at(k);
        EXPECT_TRUE(k < 1 || Degrees(Hue(out[0], out[1], out[2]), Hue(sdr[0], sdr[1], sdr[2])) < 3)
            << k;
        for (int i = 0; i < 3; ++i) {
          EXPECT_GE(out[i], previous[i]) << k;
          for (int j = 0; j < 3; ++j) EXPECT_TRUE(c[i] <= c[j] || out[i] >= out[j]) << k;
        }
        previous = out;
      }
      const int least = std::min({sdr[0], sdr[1], sdr[2]});  // at 10 times, a quarter to white
      EXPECT_GE(std::min({previous[0], previous[1], previous[2]}), least + (255 - least) / 4);
      for (int i = 0; i < 3; ++i) EXPECT_NEAR(at(1.002f)[i], sdr[i], 1);  // no step at white
    }
  }
  EXPECT_EQ(ScRgbToSrgb(0.01f, -0.5f, -0.5f, 1), (Colour{0, 0, 0}));  // no light at all
  // Bad values: NaN as 0, infinity as the largest half float, a white that is none as 80 nits.
  const float nan = std::numeric_limits<float>::quiet_NaN(), inf = HUGE_VALF;
  EXPECT_EQ(ScRgbToSrgb(nan, 0.5f, nan, 1), ScRgbToSrgb(0, 0.5f, 0, 1));
  EXPECT_EQ(ScRgbToSrgb(inf, inf, inf, 2.5f), (Colour{255, 255, 255}));
  for (float white : {nan, 0.0f, -2.0f, inf})
    EXPECT_EQ(ScRgbToSrgb(0.5f, 0.2f, 0.1f, white), ScRgbToSrgb(0.5f, 0.2f, 0.1f, 1));
}

TEST(ScRgb, VectorAndPortableLoopsGiveTheSameBytes) {
  const std::vector<Row> kernels = Kernels();
  std::mt19937 rng(7);
  for (int width : {0, 1, 7, 9, 10, 11, 17, 26, 41, 2000}) {
    for (float white : {1.0f, 2.5f, 3.125f, 6.0f}) {
      // Runs of 1 to 20 equal pixels: any bit pattern (NaN, infinity, tiny and negative values),
      // SDR content, or highlights and colours outside the gamut.
      std::uniform_real_distribution<float> sdr(0, white), bright(-0.5f * white, 12 * white);
      std::vector<std::uint16_t> halves;
      while (halves.size() < 4u * width) {
        const unsigned kind = rng() % 3;
        std::uint16_t pixel[4];
        for (auto& half : pixel) half = kind ? HalfOf(kind == 1 ? sdr(rng) : bright(rng)) : rng();
        for (unsigned n = 1 + rng() % 20; n > 0 && halves.size() < 4u * width; --n) {
          halves.insert(halves.end(), pixel, pixel + 4);
        }
      }
      for (Row kernel : kernels) {
        EXPECT_EQ(ConvertedRow(kernel, halves, white), ConvertedRow(kernels[0], halves, white))
            << width << " pixels at " << white;
      }
    }
  }
}

TEST(ScRgb, FramesAreTurnedUprightAndReadWithTheirRowPitch) {
  const int w = 5, h = 3, pitch = 8 * w + 24;  // rows padded with NaN bytes that are no pixels
  std::vector<std::uint8_t> frame(pitch * h, 0xff);
  for (int v = 0; v < w * h; ++v) {
    scrgb_test::PlaceSdr(v, v, v, 2.5f,
                         reinterpret_cast<std::uint16_t*>(&frame[v / w * pitch + 8 * (v % w)]));
  }
  const ScRgbView src{w, h, pitch, frame.data()};
  // The corners, top left, top right, bottom left, bottom right, for 0 to 3 clockwise turns.
  const unsigned corners[4][4] = {{0, 4, 10, 14}, {10, 0, 14, 4}, {14, 10, 4, 0}, {4, 14, 0, 10}};
  for (int turns = 0; turns < 4; ++turns) {
    Image upright(turns % 2 ? h : w, turns % 2 ? w : h);
    ASSERT_TRUE(ConvertScRgb(src, 2.5f, turns, upright.View()));
    for (int corner = 0; corner < 4; ++corner) {
      const int x = corner % 2 ? upright.width() - 1 : 0, y = corner / 2 ? upright.height() - 1 : 0;
      EXPECT_EQ(imaging_test::PixelAt(upright.View(), x, y) & 0xff, corners[turns][corner]);
    }
  }
  EXPECT_FALSE(ConvertScRgb(src, 1, 0, Image(w, w).View()));
}

}  // namespace
}  // namespace orv
