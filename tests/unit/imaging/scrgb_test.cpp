#include "imaging/scrgb.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <tuple>
#include <utility>
#include <vector>

#include "imaging/processor_features.h"
#include "imaging/scrgb_encoding.h"
#include "imaging/scrgb_kernels.h"
#include "imaging/test_images.h"

namespace orv {
namespace {

using scrgb_test::HalfOf;
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

// Red, green, blue of each pixel of a row of half floats (alpha 1), 16 bytes of slack after it.
std::vector<Colour> ConvertedRow(Row kernel, const std::vector<std::uint16_t>& halves,
                                 float white) {
  const int width = static_cast<int>(halves.size() / 4);
  std::vector<std::uint8_t> bgr(3 * static_cast<std::size_t>(width) + 16, 0xa5);
  kernel(scrgb_kernels::Conversion(1 / white), reinterpret_cast<const std::uint8_t*>(halves.data()),
         width, bgr.data());
  EXPECT_TRUE(std::all_of(bgr.end() - 16, bgr.end(), [](auto b) { return b == 0xa5; }));
  std::vector<Colour> colours;
  for (int x = 0; x < width; ++x) colours.push_back({bgr[3 * x + 2], bgr[3 * x + 1], bgr[3 * x]});
  return colours;
}

// The hue of the HSV model, in degrees; also of colours with negative channels.
double Hue(double r, double g, double b) {
  const double hi = std::max({r, g, b}), d = hi - std::min({r, g, b});
  const double h = hi == r ? (g - b) / d : hi == g ? 2 + (b - r) / d : 4 + (r - g) / d;
  return std::fmod(60 * h + 360, 360);
}
double Hue(const Colour& c) {
  return Hue(c[0], c[1], c[2]);
}

TEST(ScRgb, SdrContentComesOutAsOnAnSdrDeskAtEveryWhiteLevel) {
  for (Row kernel : Kernels()) {
    for (int nits = 80; nits <= 480; ++nits) {
      const float white = nits / 80.0f;
      std::vector<std::uint16_t> halves(4 * 256);
      for (int v = 0; v < 256; ++v) scrgb_test::PlaceSdr(v, v, v, white, &halves[4 * v]);
      const std::vector<Colour> out = ConvertedRow(kernel, halves, white);
      for (int v = 0; v < 256; ++v) ASSERT_NEAR(out[v][1], v, 1) << nits << " nits";
    }
    for (float white : {1.0f, 2.5f, 6.0f}) {
      std::vector<std::uint16_t> halves(4 * 33 * 33 * 33);
      std::vector<Colour> in;
      for (int r = 0; r < 264; r += 8) {
        for (int g = 0; g < 264; g += 8) {
          for (int b = 0; b < 264; b += 8) {
            in.push_back({static_cast<std::uint8_t>(std::min(r, 255)),
                          static_cast<std::uint8_t>(std::min(g, 255)),
                          static_cast<std::uint8_t>(std::min(b, 255))});
            scrgb_test::PlaceSdr(in.back()[0], in.back()[1], in.back()[2], white,
                                 &halves[4 * (in.size() - 1)]);
          }
        }
      }
      const std::vector<Colour> out = ConvertedRow(kernel, halves, white);
      for (std::size_t i = 0; i < in.size(); ++i) {
        for (int c = 0; c < 3; ++c) ASSERT_NEAR(out[i][c], in[i][c], 1) << white << " " << i;
      }
    }
  }
}

// At SDR white 80 nits, every half float from 0 to 1 is the sRGB curve of its value, rounded.
TEST(ScRgb, SdrCodesAreTheRoundedCurve) {
  for (int half = 0; half <= 0x3c00; ++half) {
    const double x = half < 0x400 ? std::ldexp(half, -24)
                                  : std::ldexp(1 + (half & 0x3ff) / 1024.0, (half >> 10) - 15);
    const double v = x <= 0.0031308 ? 12.92 * x : 1.055 * std::pow(x, 1 / 2.4) - 0.055;
    const auto value = static_cast<float>(x);
    ASSERT_EQ(ScRgbToSrgb(value, value, value, 1)[1], std::lround(255 * v)) << x;
  }
}

TEST(ScRgb, HighlightsGoTowardsWhiteKeepingTheirHueAndNeverDarken) {
  const Colour colours[] = {{255, 128, 0},  {255, 0, 0},   {0, 255, 0},   {0, 0, 255},
                            {255, 255, 0},  {0, 255, 255}, {255, 0, 255}, {200, 80, 255},
                            {30, 144, 255}, {255, 64, 64}, {120, 255, 40}};
  for (float white : {1.0f, 2.5f, 6.0f}) {
    for (const Colour& c : colours) {
      Colour previous{};
      for (int step = 0; step <= 180; ++step) {
        const float k = 1 + step / 20.0f;  // 1 to 10 times SDR white
        const Colour out = ScRgbToSrgb(LinearOf(c[0]) * white * k, LinearOf(c[1]) * white * k,
                                       LinearOf(c[2]) * white * k, white);
        EXPECT_NEAR(std::remainder(Hue(out) - Hue(c), 360), 0, 3) << k;
        for (int i = 0; i < 3; ++i) EXPECT_GE(out[i], previous[i]) << k;
        previous = out;
      }
      EXPECT_GT(std::min({previous[0], previous[1], previous[2]}), 128);
      // Just brighter than SDR white, as at SDR white.
      const Colour sdr = ScRgbToSrgb(LinearOf(c[0]) * white, LinearOf(c[1]) * white,
                                     LinearOf(c[2]) * white, white);
      const Colour bright =
          ScRgbToSrgb(LinearOf(c[0]) * white * 1.002f, LinearOf(c[1]) * white * 1.002f,
                      LinearOf(c[2]) * white * 1.002f, white);
      for (int i = 0; i < 3; ++i) EXPECT_NEAR(bright[i], sdr[i], 1);
    }
  }
}

TEST(ScRgb, ColoursOutsideTheGamutComeInWithoutHueFlips) {
  const float colours[][3] = {{-0.2f, 1, -0.1f},    {1.2f, -0.3f, 0.5f}, {3, -0.5f, 0.2f},
                              {0.3f, 0.1f, -0.05f}, {50, 2, 0.1f},       {-1, 4, 30}};
  for (const auto& c : colours) {
    Colour previous{};
    for (float k = 0.05f; k < 20; k *= 1.1f) {
      const Colour out = ScRgbToSrgb(c[0] * k, c[1] * k, c[2] * k, 1);
      for (int i = 0; i < 3; ++i) {
        EXPECT_GE(out[i], previous[i]) << k;
        for (int j = 0; j < 3; ++j) {
          if (c[i] > c[j]) {
            EXPECT_GE(out[i], out[j]) << k;
          }
        }
      }
      previous = out;
    }
    // At most SDR white, the hue of the light the colour gives is the input's.
    const float top = std::max({c[0], c[1], c[2]});
    const Colour out = ScRgbToSrgb(c[0] / top, c[1] / top, c[2] / top, 1);
    EXPECT_NEAR(
        std::remainder(
            Hue(LinearOf(out[0]), LinearOf(out[1]), LinearOf(out[2])) - Hue(c[0], c[1], c[2]), 360),
        0, 2);
  }
  // No light at all: black.
  EXPECT_EQ(ScRgbToSrgb(0.01f, -0.5f, -0.5f, 1), (Colour{0, 0, 0}));
}

TEST(ScRgb, BadValuesHaveDefinedAnswers) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  EXPECT_EQ(ScRgbToSrgb(nan, 0.5f, nan, 1), ScRgbToSrgb(0, 0.5f, 0, 1));
  EXPECT_EQ(ScRgbToSrgb(inf, inf, inf, 2.5f), (Colour{255, 255, 255}));
  for (float white : {nan, 0.0f, -2.0f, inf}) {
    EXPECT_EQ(ScRgbToSrgb(0.5f, 0.2f, 0.1f, white), ScRgbToSrgb(0.5f, 0.2f, 0.1f, 1));
  }
}

TEST(ScRgb, VectorAndPortableLoopsGiveTheSameBytes) {
  const std::vector<Row> kernels = Kernels();
  if (kernels.size() < 2) GTEST_SKIP() << "no AVX2 and F16C here";
  std::mt19937 rng(7);
  for (int width : {0, 1, 7, 9, 10, 11, 17, 26, 41, 2000}) {
    for (float white : {1.0f, 2.5f, 3.125f, 6.0f}) {
      // Runs of 1 to 20 equal pixels, each SDR content, any bit pattern (NaN, infinity, tiny and
      // negative values), or highlights and colours outside the gamut.
      std::vector<std::uint16_t> halves;
      std::uniform_real_distribution<float> sdr(0, white), bright(-0.5f * white, 12 * white);
      while (halves.size() < 4 * static_cast<std::size_t>(width)) {
        std::uint16_t pixel[4];
        const unsigned kind = rng() % 3;
        for (std::uint16_t& half : pixel) {
          if (kind == 0) half = HalfOf(sdr(rng));
          if (kind == 1) half = static_cast<std::uint16_t>(rng());
          if (kind == 2) half = HalfOf(bright(rng));
        }
        for (unsigned n = 1 + rng() % 20; n > 0 && halves.size() < 4u * width; --n) {
          halves.insert(halves.end(), pixel, pixel + 4);
        }
      }
      EXPECT_EQ(ConvertedRow(kernels[0], halves, white), ConvertedRow(kernels[1], halves, white))
          << width << " pixels at " << white;
    }
  }
}

TEST(ScRgb, FramesAreTurnedUprightAndReadWithTheirRowPitch) {
  const int w = 5, h = 3, pitch = 8 * w + 24;  // rows padded with bytes that are no pixels
  std::vector<std::uint8_t> frame(pitch * h, 0xff);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const int v = 10 * y + x;
      scrgb_test::PlaceSdr(v, v, v, 2.5f,
                           reinterpret_cast<std::uint16_t*>(&frame[y * pitch + 8 * x]));
    }
  }
  const ScRgbView src{w, h, pitch, frame.data()};
  for (int turns = 0; turns < 4; ++turns) {
    Image upright(turns % 2 ? h : w, turns % 2 ? w : h);
    ASSERT_TRUE(ConvertScRgb(src, 2.5f, turns, upright.View()));
    for (int y = 0; y < upright.height(); ++y) {
      for (int x = 0; x < upright.width(); ++x) {
        // Each clockwise quarter turn takes (x, y) of the picture to (h - 1 - y, x).
        int sx = x, sy = y;
        for (int t = turns - 1; t >= 0; --t) {
          const int height = t % 2 ? w : h;  // of the picture before turn t + 1
          std::tie(sx, sy) = std::pair(sy, height - 1 - sx);
        }
        EXPECT_EQ(imaging_test::PixelAt(upright.View(), x, y) & 0xff, 10u * sy + sx) << turns;
      }
    }
  }
  Image wrong(w, w);
  EXPECT_FALSE(ConvertScRgb(src, 1, 0, wrong.View()));
  EXPECT_FALSE(ConvertScRgb({w, h, 8 * w - 1, frame.data()}, 1, 0, Image(w, h).View()));
}

}  // namespace
}  // namespace orv
