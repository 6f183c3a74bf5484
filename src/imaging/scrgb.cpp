#include "imaging/scrgb.h"

#include <cmath>
#include <utility>

#include "imaging/processor_features.h"
#include "imaging/rotate.h"
#include "imaging/scrgb_kernels.h"

namespace orv {

namespace {

float ScaleOf(float white) {
  return std::isfinite(white) && white > 0 ? 1.0f / white : 1.0f;
}

void ConvertRows(const ScRgbView& src, float scale, const MutableImageView& dst) {
  const scrgb_kernels::Conversion conversion(scale);
#if defined(__SSE2__)
  static const auto row = HaveAvx2() && HaveF16c() ? scrgb_kernels::ConvertRowWithAvx2
                                                   : scrgb_kernels::ConvertRowPortably;
#else
  const auto row = scrgb_kernels::ConvertRowPortably;
#endif
  for (int y = 0; y < src.height; ++y) row(conversion, src.Row(y), src.width, dst.Row(y));
}

}  // namespace

std::array<std::uint8_t, 3> ScRgbToSrgb(float red, float green, float blue, float white) {
  const std::uint16_t rgb[3] = {scrgb_kernels::HalfOf(red), scrgb_kernels::HalfOf(green),
                                scrgb_kernels::HalfOf(blue)};
  std::uint8_t bgr[3];
  scrgb_kernels::ConvertPixel(rgb, ScaleOf(white), bgr);
  return {bgr[2], bgr[1], bgr[0]};
}

bool ConvertScRgb(const ScRgbView& src, float white, int clockwiseQuarterTurns,
                  const MutableImageView& dst) {
  const bool upright = clockwiseQuarterTurns % 2 == 0;
  if (dst.bitsPerPixel != 24 || clockwiseQuarterTurns < 0 || clockwiseQuarterTurns > 3 ||
      src.width < 0 || src.height < 0 || src.stride < std::ptrdiff_t{8} * src.width ||
      dst.width != (upright ? src.width : src.height) ||
      dst.height != (upright ? src.height : src.width)) {
    return false;
  }
  const float scale = ScaleOf(white);
  if (clockwiseQuarterTurns == 0) {
    ConvertRows(src, scale, dst);
    return true;
  }
  // A monitor turned on its side or upside down, which is rare: the picture as the monitor scans
  // it out, then quarter turns counter-clockwise (three of them make one clockwise).
  Image turned(src.width, src.height);
  ConvertRows(src, scale, turned.View());
  for (int left = 4 - clockwiseQuarterTurns; left > 1; --left) {
    Image next(turned.height(), turned.width());
    RotateQuarterTurnLeft(turned.View(), next.View());
    turned = std::move(next);
  }
  RotateQuarterTurnLeft(turned.View(), dst);
  return true;
}

}  // namespace orv
