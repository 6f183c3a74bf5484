// The dimmed picture of the selection overlay: every channel blended half-way towards mid-grey,
// c -> (c * 127 + 128 * 128) / 255, exactly what an alpha-128 fill of RGB(128, 128, 128) gives.
// The overlay keeps its picture in the screen's own 32-bit format (blue, green, red, 0), which the
// system paints without converting every pixel; the frozen screen it comes from is 24-bit.
#pragma once

#include <cstdint>

#include "imaging/image.h"

namespace orv {

// Dims a 24-bit image in place. Does nothing unless the view is 24-bit.
void DimHalfwayToGrey(MutableImageView image);

// Writes the dimmed 24-bit `src` into `dst` of the same size, 24-bit (the same pixels or apart,
// not partly overlapping) or 32-bit. Returns false, writing nothing, when the views do not fit.
bool DimHalfwayToGrey(const ImageView& src, MutableImageView dst);

// Writes `width` 24-bit pixels as 32-bit ones (blue, green, red, 0), dimmed or as they are.
void WidenRow(const std::uint8_t* in, std::uint8_t* out, int width, bool dim);

}  // namespace orv
