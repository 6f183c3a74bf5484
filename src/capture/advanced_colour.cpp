#include "capture/advanced_colour.h"

namespace orv {

namespace {

constexpr int kWideColourMode = 1, kHdrMode = 2;

std::optional<float> HdrWhite(const ColourReport& report) {
  if (!report.sdrWhiteLevel || *report.sdrWhiteLevel == 0) return std::nullopt;
  return static_cast<float>(*report.sdrWhiteLevel) / 1000.0f;
}

}  // namespace

std::optional<float> SdrWhiteInScRgb(const ColourReport& report) {
  if (report.activeColourMode) {
    if (*report.activeColourMode == kWideColourMode) return 1.0f;
    if (*report.activeColourMode == kHdrMode) return HdrWhite(report);
    return std::nullopt;
  }
  if (!report.advancedColourEnabled.value_or(false)) return std::nullopt;
  return report.wideColourEnforced ? std::optional<float>(1.0f) : HdrWhite(report);
}

std::optional<Rect> PlaceInGrab(const Rect& monitor, const Rect& grab) {
  const Rect place{monitor.x - grab.x, monitor.y - grab.y, monitor.width, monitor.height};
  if (place.width <= 0 || place.height <= 0 || place.x < 0 || place.y < 0 ||
      place.x > grab.width - place.width || place.y > grab.height - place.height) {
    return std::nullopt;
  }
  return place;
}

}  // namespace orv
