// The image transforms applied to the program's numbered images, in place: the image keeps its
// number, so whoever holds it needs no update.
#pragma once

#include "app/object_ids.h"

namespace orv {

// A quarter turn counter-clockwise (the rotate button, and printing's turned copy).
void RotateImage(ImageId id);
void MakeImageGrey(ImageId id);
void MakeImageNegative(ImageId id);

}  // namespace orv
