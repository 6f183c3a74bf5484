// Measuring and copying the virtual screen (all monitors together), in physical pixels.
#pragma once

namespace orv {

struct ScreenBounds {
  int left = 0, top = 0, width = 0, height = 0;
};

// The virtual screen rectangle as last measured.
const ScreenBounds& VirtualScreen();

// Measures the virtual screen again from the screen device context's clip box.
void RefreshScreenBounds();

}  // namespace orv
