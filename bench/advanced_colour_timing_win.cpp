// What asking for monitors composed in floating point adds to a grab on a desk of SDR monitors,
// for running under Wine or on Windows, where Google Benchmark is not built: the system's side
// of the seam (capture/advanced_colour_win.cpp) asked for the first time (after the screen has
// been measured, as the program's start-up does) and then 200 times (median and slowest), against
// a whole grab of the virtual screen.
//
// Usage: advanced_colour_timing_win.exe (under Wine: scripts/wine-run, on an X display)
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

#include "capture/advanced_colour_win.h"
#include "capture/screen_grab_win.h"

namespace {

double Ms(const std::function<void()>& run) {
  const auto start = std::chrono::steady_clock::now();
  run();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

}  // namespace

int main() {
  using namespace orv;
  SetProcessDPIAware();
  const ScreenBounds screen = MeasureVirtualScreen();
  std::size_t found = 0;
  const double cold = Ms([&] { found = FindAdvancedColourMonitors().size(); });
  std::vector<double> asks, grabs;
  for (int i = 0; i < 200; ++i) asks.push_back(Ms([] { FindAdvancedColourMonitors(); }));
  for (int i = 0; i < 20; ++i) grabs.push_back(Ms([] { CaptureFullScreen(); }));
  std::sort(asks.begin(), asks.end());
  std::sort(grabs.begin(), grabs.end());
  std::printf("monitors composed in floating point: %zu (virtual screen %dx%d)\n", found,
              screen.width, screen.height);
  std::printf("asking: first %.3f ms, median %.3f ms, slowest %.3f ms\n", cold, asks[100],
              asks.back());
  std::printf("whole grab, asking included: median %.2f ms\n", grabs[10]);
  return 0;
}
