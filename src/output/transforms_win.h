// The image transforms applied to the program's numbered images, in place: the image keeps its
// number, so whoever holds it needs no update. Also the turned copy that printing makes.
#pragma once

#include "base/object_ids.h"
#include "win/dib_image.h"

namespace orv {

// A quarter turn counter-clockwise (the rotate button).
void RotateImage(ImageId id);
// The image turned a quarter counter-clockwise into a new image (printing's turned copy, made
// straight from the capture); empty when memory runs out.
win::DibImage TurnedCopy(const win::DibImage& image);
void MakeImageGrey(ImageId id);
void MakeImageNegative(ImageId id);

}  // namespace orv
