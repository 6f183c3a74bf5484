#include "base/scale.h"

#include <cmath>
#include <cstdint>

namespace orv {

float ComputeDpiScale(int logPixelsY) {
  return ScaleForDpi(logPixelsY, 1.0f);
}

float ScaleForDpi(int dpi, float fallback) {
  return dpi >= 1 ? static_cast<float>(dpi) / 96.0f : fallback;
}

int DpiForScale(float scale) {
  return static_cast<int>(std::lround(scale * 96.0f));
}

int FontHeightAtScale(int height, float fromScale, float toScale) {
  return MulDivRound(height, DpiForScale(toScale), DpiForScale(fromScale));
}

int ButtonIconSize(float scale) {
  return Scaled(20, scale);
}

float ComputeFontScale(int heightBefore, int heightAfter) {
  // A zero "before" height gives infinity or NaN, which ChooseFonts treats as no scaling.
  return static_cast<float>(heightAfter) / static_cast<float>(heightBefore);
}

int Scaled(int base, float dpiScale) {
  return static_cast<int>(static_cast<float>(base) * dpiScale);
}

Rect ScaledRect(const Rect& base, float dpiScale) {
  return {Scaled(base.x, dpiScale), Scaled(base.y, dpiScale), Scaled(base.width, dpiScale),
          Scaled(base.height, dpiScale)};
}

Size ScaledSize(Size base, float dpiScale) {
  return {Scaled(base.width, dpiScale), Scaled(base.height, dpiScale)};
}

int MulDivRound(int a, int b, int c) {
  if (c == 0) return -1;
  const std::int64_t product = static_cast<std::int64_t>(a) * b;
  const std::int64_t half = (c < 0 ? -static_cast<std::int64_t>(c) : c) / 2;
  const bool negative = (product < 0) != (c < 0);
  const std::int64_t magnitude = (product < 0 ? -product : product) + half;
  const std::int64_t quotient = magnitude / (c < 0 ? -static_cast<std::int64_t>(c) : c);
  return static_cast<int>(negative ? -quotient : quotient);
}

int FontHeightForPoints(int points, int logPixelsY) {
  return -MulDivRound(points, logPixelsY, 72);
}

FontChoice ChooseFonts(float fontScale) {
  if (std::isfinite(fontScale) && fontScale > 1.0f) {
    return {{L"Segoe UI", L"MS Sans Serif", static_cast<int>(fontScale * 9.0f), false},
            {L"Arial", L"", static_cast<int>(fontScale * 12.0f), true}};
  }
  return {{L"Tahoma", L"MS Sans Serif", 9, false}, {L"Arial", L"", 12, true}};
}

}  // namespace orv
