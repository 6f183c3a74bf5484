// The seam between the grab and the monitors composed in floating point: which they are, and
// their pictures. The program's implementation asks the system (advanced_colour_win.cpp); a test
// build links a simulated HDR monitor in its place (tests/e2e/hdr_standin_win.cpp).
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "base/geometry.h"
#include "imaging/scrgb.h"

namespace orv {

struct AdvancedColourMonitor {
  HMONITOR monitor = nullptr;
  Rect place;          // on the desktop, in physical pixels
  float sdrWhite = 1;  // the scRGB value of SDR white on it
};

// A monitor's picture as the system composed it, valid during the call it is handed to, and the
// quarter turns clockwise that make it upright (a monitor turned on its side is scanned out in
// its own orientation).
struct ScRgbPicture {
  ScRgbView pixels;
  int clockwiseQuarterTurns = 0;
};

// The monitors composed in floating point; none on a desk of SDR monitors.
std::vector<AdvancedColourMonitor> FindAdvancedColourMonitors();

// Hands the monitor's picture to `use`; false, without calling it, when there is none to be had.
bool ReadAdvancedColourPicture(const AdvancedColourMonitor& monitor,
                               const std::function<void(const ScRgbPicture&)>& use);

}  // namespace orv
