// Measuring and copying the virtual screen (all monitors together), in physical pixels.
#pragma once

#include "win/dib_image.h"

namespace orv {

struct ScreenBounds {
  int left = 0, top = 0, width = 0, height = 0;
};

// The virtual screen rectangle as last measured.
const ScreenBounds& VirtualScreen();

// Measures the virtual screen again from the screen device context's clip box.
void RefreshScreenBounds();

// Measures the screen, makes a fresh black grab buffer (image 19) and copies the screen into it.
void GrabScreen();
// Copies the screen into the existing grab buffer again, without measuring.
void RegrabScreen();
// GrabScreen, then a copy of the whole grab buffer becomes the capture image (image 20).
void CaptureFullScreen();

// A new image of w x h with the source's depth, copied from (x, y) of the source; an empty image
// when w or h is not positive or memory runs out.
win::DibImage CopyRect(const win::DibImage& source, int x, int y, int w, int h);

}  // namespace orv
