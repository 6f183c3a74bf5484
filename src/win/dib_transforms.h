// The picture transforms on DIB section images: the preview's icon buttons change the capture
// under review with them, and printing makes its turned copy.
#pragma once

#include "win/dib_image.h"

namespace orv {

// The image turned a quarter counter-clockwise into a new image; empty when memory runs out.
win::DibImage TurnedCopy(const win::DibImage& image);
// In place.
void MakeImageGrey(win::DibImage& image);
void MakeImageNegative(win::DibImage& image);

}  // namespace orv
