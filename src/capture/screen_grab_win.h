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
// Makes a fresh black grab buffer (image 19) of the screen's size and copies the screen at
// `screen` into it.
void GrabScreen(const ScreenBounds& screen);
// Copies the screen at `screen` into the existing grab buffer again, without measuring.
void RegrabScreen(const ScreenBounds& screen);
// Measures and grabs the screen, then the grab buffer itself becomes the capture image (image 20):
// handed over, not copied, and the next grab makes a new buffer.
void CaptureFullScreen();

// A new image of w x h with the source's depth, copied from (x, y) of the source; an empty image
// when w or h is not positive or memory runs out.
win::DibImage CopyRect(const win::DibImage& source, int x, int y, int w, int h);

}  // namespace orv
