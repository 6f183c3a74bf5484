#include "output/print_layout.h"

#include <cmath>

namespace orv {
namespace {

bool IsPositive(Size size) {
  return size.width > 0 && size.height > 0;
}

float Proportion(int a, int b) {
  return static_cast<float>(a) / static_cast<float>(b);
}

}  // namespace

float DevicePixelsPerMm(int resolution, int sizeMm) {
  return Proportion(resolution, sizeMm);
}

int RoundHalfEven(float value) {
  if (std::isnan(value)) return 0;
  // The largest floats on either side of the int range that still convert exactly.
  constexpr float kMax = 2147483520.0f;
  constexpr float kMin = -2147483648.0f;
  if (value >= kMax) return static_cast<int>(kMax);
  if (value <= kMin) return static_cast<int>(kMin);
  const float lower = std::floor(value);
  const float fraction = value - lower;  // exact: both are floats of the same magnitude
  int result = static_cast<int>(lower);
  if (fraction > 0.5f || (fraction == 0.5f && result % 2 != 0)) ++result;
  return result;
}

int MmToDevice(float mm, float pixelsPerMm) {
  return RoundHalfEven(mm * pixelsPerMm);
}

float PrintScale(Size image) {
  float scale = 1.0f;
  if (image.width < 300 && image.height < 300) scale = 0.5f;
  if (image.width < 100 && image.height < 100) scale = 0.25f;
  return scale;
}

bool ShouldTurn(float paperProportion, float imageProportion) {
  return (paperProportion > 1.0f && imageProportion < 1.0f) ||
         (paperProportion < 1.0f && imageProportion > 1.0f);
}

std::optional<PrintPlacement> PlacePrint(const PageMetrics& page, Size capture,
                                         bool fitPaperOrientation, std::optional<Size> turned) {
  if (page.horzRes <= 0 || page.vertRes <= 0 || page.horzSize <= 0 || page.vertSize <= 0 ||
      !IsPositive(capture)) {
    return std::nullopt;
  }
  PrintPlacement placement;
  const float paperProportion = Proportion(page.horzSize, page.vertSize);
  Size source = capture;
  float imageProportion = Proportion(source.width, source.height);
  // Without a turned copy (turning off, or the copy could not be made) the capture prints as is.
  if (fitPaperOrientation && turned && IsPositive(*turned) &&
      ShouldTurn(paperProportion, imageProportion)) {
    placement.useTurned = true;
    source = *turned;
    imageProportion = Proportion(source.width, source.height);
  }

  // Single precision throughout, so that the rounding of the millimetre sizes is reproducible.
  const float scale = PrintScale(source);
  const float pageWidth = static_cast<float>(page.horzSize);
  const float pageHeight = static_cast<float>(page.vertSize);
  float widthMm = 0.0f;
  float heightMm = 0.0f;
  if (imageProportion > paperProportion) {
    widthMm = pageWidth * scale;
    heightMm = pageWidth / imageProportion * scale;
  } else {
    heightMm = pageHeight * scale;
    widthMm = pageHeight * imageProportion * scale;
  }
  placement.widthMm = RoundHalfEven(widthMm);
  placement.heightMm = RoundHalfEven(heightMm);

  const float kx = DevicePixelsPerMm(page.horzRes, page.horzSize);
  const float ky = DevicePixelsPerMm(page.vertRes, page.vertSize);
  placement.device = {MmToDevice(0.0f, kx), MmToDevice(0.0f, ky),
                      MmToDevice(static_cast<float>(placement.widthMm), kx),
                      MmToDevice(static_cast<float>(placement.heightMm), ky)};
  return placement;
}

std::optional<PrintPlacement> PlacePrint(const PageMetrics& page, Size capture,
                                         bool fitPaperOrientation) {
  return PlacePrint(page, capture, fitPaperOrientation, Size{capture.height, capture.width});
}

}  // namespace orv
