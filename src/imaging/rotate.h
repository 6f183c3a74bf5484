// The quarter turn of the preview's rotate button and of printing, done on image views. The
// Win32 layer allocates the turned image and gives it the old image's identity.
#pragma once

#include "imaging/image.h"

namespace orv {

// Writes `src` turned a quarter turn counter-clockwise into `dst`: dst(x, y) = src(w - 1 - y, x)
// for a source w wide. Both views are 24-bit, `dst` is src.height wide and src.width high and
// must not overlap `src`. Returns false, writing nothing, when the views do not fit that shape.
bool RotateQuarterTurnLeft(const ImageView& src, MutableImageView dst);

}  // namespace orv
