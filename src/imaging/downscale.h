// The small picture of the preview window: a 24-bit image scaled to another size by averaging
// the source pixels that fall into each target pixel (a box filter), in one pass over the
// source rows. Enlarging repeats pixels instead.
#pragma once

#include "imaging/image.h"

namespace orv {

// Writes `src` scaled to the size of `dst` into `dst`. Both views are 24-bit. Returns false,
// writing nothing, when either is not 24-bit or empty.
bool ScaleByAveraging(const ImageView& src, MutableImageView dst);

}  // namespace orv
