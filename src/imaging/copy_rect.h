// Copying a rectangle of one image into another of the same depth.
#pragma once

#include "imaging/image.h"

namespace orv {

// Copies the dst.width x dst.height rectangle whose top-left corner is (x, y) in src into dst.
// Parts of the rectangle outside src come out black, as a screen copy beyond its edge would.
void CopyImageRect(const ImageView& src, int x, int y, const MutableImageView& dst);

}  // namespace orv
