// Monitors whose desktop the system composes in floating point (scRGB): with HDR on, or with
// automatic colour management. A GDI copy of such a monitor is washed out and clipped, so the
// grab takes its composed picture instead. These are the rules the Win32 side asks.
#pragma once

#include <cstdint>
#include <optional>

#include "base/geometry.h"

namespace orv {

// What the system answered about one monitor; a query it did not answer is left empty.
struct ColourReport {
  // The newer query (Windows 11 24H2): 0 SDR, 1 wide colour gamut, 2 HDR.
  std::optional<int> activeColourMode{};
  // The older query: advanced colour on, and whether that is wide colour on an SDR monitor.
  std::optional<bool> advancedColourEnabled{};
  bool wideColourEnforced = false;
  // SDR white as a multiple of 80 nits, times 1000.
  std::optional<std::uint32_t> sdrWhiteLevel{};
};

// The scRGB value at which the monitor shows SDR white, or none when its desktop is composed in
// 8 bits (the GDI copy is then exact) or the answers do not say. HDR places SDR white at the
// user's SDR white level (1.0 = 80 nits); a wide-gamut SDR desktop at 1.0.
std::optional<float> SdrWhiteInScRgb(const ColourReport& report);

// Where a monitor's picture goes in the grab of the virtual screen `grab` (both in desktop
// pixels): the monitor relative to the grab's corner, or none when it does not lie wholly inside.
std::optional<Rect> PlaceInGrab(const Rect& monitor, const Rect& grab);

}  // namespace orv
