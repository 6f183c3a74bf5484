// The dimmed picture of the selection overlay: every channel blended half-way towards mid-grey,
// c -> (c * 127 + 128 * 128) / 255, exactly what an alpha-128 fill of RGB(128, 128, 128) gives.
#pragma once

#include "imaging/image.h"

namespace orv {

// Dims a 24-bit image in place. Does nothing unless the view is 24-bit.
void DimHalfwayToGrey(MutableImageView image);

// Writes the dimmed `src` into `dst` of the same size (both 24-bit; the same pixels or apart,
// not partly overlapping). Returns false, writing nothing, when the views do not fit.
bool DimHalfwayToGrey(const ImageView& src, MutableImageView dst);

}  // namespace orv
