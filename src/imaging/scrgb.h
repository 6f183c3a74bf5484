// Pictures of monitors whose desktop the system composes in floating point (HDR, or automatic
// colour management), turned into the 24-bit picture the program keeps of every screen.
//
// Such a picture is scRGB: linear light with the sRGB primaries, stored as half floats red,
// green, blue, alpha; values below 0 and above 1 are allowed. SDR content sits at the monitor's
// SDR white, the scRGB value `white` (1.0 = 80 nits). docs/hdr-conversion.md describes the curve.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "imaging/image.h"

namespace orv {

// Top-down rows of half-float pixels; `stride` (at least 8 * width) is the distance between the
// starts of two rows in bytes.
struct ScRgbView {
  int width = 0;
  int height = 0;
  std::ptrdiff_t stride = 0;
  const std::uint8_t* top = nullptr;

  const std::uint8_t* Row(int y) const { return top + y * stride; }
};

// One pixel as the conversion makes it, its channels first rounded to half floats: SDR content
// (every channel within 0..white) through the sRGB curve, rounded; brighter colours towards white
// with their hue kept; colours outside the sRGB gamut towards the grey of their luminance until
// they are inside. Returns red, green, blue. A white that is not a positive number counts as 1;
// NaN channels count as 0.
std::array<std::uint8_t, 3> ScRgbToSrgb(float red, float green, float blue, float white);

// Writes `src` turned clockwise by `clockwiseQuarterTurns` (0 to 3) into the 24-bit `dst`, whose
// size is that of the turned picture. Returns false, writing nothing, when the shapes do not fit.
bool ConvertScRgb(const ScRgbView& src, float white, int clockwiseQuarterTurns,
                  const MutableImageView& dst);

}  // namespace orv
