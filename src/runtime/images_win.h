// The program's numbered images (grab buffer, capture, print copy, backup, highlight). Storing
// under a number in use destroys the old image; freeing a missing image does nothing.
#pragma once

#include "base/object_ids.h"
#include "win/dib_image.h"

namespace orv::Images {

void Put(ImageId id, win::DibImage image);
void Free(ImageId id);
// Moves the image under `from` to `to` (replacing what `to` held); `from` is then free.
void Move(ImageId from, ImageId to);
// The image under id, or null.
win::DibImage* Get(ImageId id);
void FreeAll();

}  // namespace orv::Images
