// SDR content placed in scRGB half floats as the system composes it on an HDR desktop: the sRGB
// curve, then SDR white scaled to `white`. Shared by the conversion's tests, its benchmark and
// the simulated HDR monitor of the end-to-end tests.
#pragma once

#include <bit>
#include <cmath>
#include <cstdint>

namespace orv::scrgb_test {

// Rounded to the nearest half float, ties to even; beyond the largest half, infinity.
inline std::uint16_t HalfOf(float value) {
  const auto bits = std::bit_cast<std::uint32_t>(value);
  const auto sign = static_cast<std::uint16_t>((bits >> 16) & 0x8000u);
  const float magnitude = std::fabs(value);
  if (magnitude >= 65520.0f) return sign | 0x7c00u;
  if (magnitude < 0x1p-14f) {
    return sign | static_cast<std::uint16_t>(std::nearbyint(magnitude * 0x1p24f));
  }
  const std::uint32_t rest = bits & 0x7fffffffu;
  const std::uint32_t rounded = rest + 0xfffu + ((rest >> 13) & 1u);
  return sign | static_cast<std::uint16_t>((rounded >> 13) - (112u << 10));
}

inline float LinearOf(int code) {
  const double v = code / 255.0;
  return static_cast<float>(v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4));
}

// One pixel: red, green, blue, alpha 1.
inline void PlaceSdr(int red, int green, int blue, float white, std::uint16_t* halves) {
  halves[0] = HalfOf(LinearOf(red) * white);
  halves[1] = HalfOf(LinearOf(green) * white);
  halves[2] = HalfOf(LinearOf(blue) * white);
  halves[3] = HalfOf(1.0f);
}

}  // namespace orv::scrgb_test
