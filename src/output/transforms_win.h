// The picture transforms of the preview's icon buttons, on DIB section images, and the turned
// copy printing makes.
#pragma once

#include "win/dib_image.h"

namespace orv {

// The image turned a quarter counter-clockwise into a new image; empty when memory runs out.
win::DibImage TurnedCopy(const win::DibImage& image);
// In place.
void MakeImageGrey(win::DibImage& image);
void MakeImageNegative(win::DibImage& image);

}  // namespace orv
