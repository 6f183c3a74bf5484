// The 8-bit copy of a capture that a GIF file is written from: the picture's adaptive palette
// and, for every pixel, the index of its nearest palette colour.
#pragma once

#include "imaging/image.h"

namespace orv {

// Fills the 8-bit `dst` (same size as the 24-bit `src`, with a colour table of 256 entries at
// dst.colors) with the palette and the pixel indices. Returns false when the views do not fit
// or memory ran out; the caller then counts the save as failed.
bool ReduceToPalette(const ImageView& src, MutableImageView dst);

}  // namespace orv
