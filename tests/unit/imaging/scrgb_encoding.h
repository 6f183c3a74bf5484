// SDR content placed in scRGB half floats as the system composes it on an HDR desktop (the sRGB
// curve, SDR white at `white`), for the tests, the benchmark and the simulated HDR monitor.
#pragma once

#include <cmath>
#include <cstdint>

#include "imaging/scrgb_kernels.h"

namespace orv::scrgb_test {

inline float LinearOf(int code) {
  const double v = code / 255.0;
  return static_cast<float>(v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4));
}

// One pixel: red, green, blue, alpha 1.
inline void PlaceSdr(int red, int green, int blue, float white, std::uint16_t* halves) {
  for (int code : {red, green, blue}) *halves++ = scrgb_kernels::HalfOf(LinearOf(code) * white);
  *halves = scrgb_kernels::HalfOf(1.0f);
}

}  // namespace orv::scrgb_test
