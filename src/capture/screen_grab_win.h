// Measuring and copying the virtual screen (all monitors together), in physical pixels.
#pragma once

#include "win/dib_image.h"

namespace orv {

// The virtual screen's place on the desktop: its top-left corner (negative when a monitor lies
// left of or above the primary one) and its size.
struct ScreenBounds {
  int left = 0, top = 0, width = 0, height = 0;
};

// The virtual screen as it is now, measured afresh for every grab: the screen device context's
// clip box.
ScreenBounds MeasureVirtualScreen();
// A new grab of the screen's size with the screen at `screen` copied into it; empty when memory
// runs out.
win::DibImage GrabScreen(const ScreenBounds& screen);
// Copies the screen at `screen` into the grab again, without measuring.
void RegrabScreen(win::DibImage& grab, const ScreenBounds& screen);
// Measures and grabs the screen: the whole-screen capture.
win::DibImage CaptureFullScreen();

// A new image of w x h with the source's depth, copied from (x, y) of the source; an empty image
// when w or h is not positive or memory runs out.
win::DibImage CopyRect(const win::DibImage& source, int x, int y, int w, int h);

}  // namespace orv
