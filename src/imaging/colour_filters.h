// The grey and negative buttons of the preview window: point filters that change a 24-bit
// image in place, one pass over its rows, leaving the row padding alone.
#pragma once

#include "imaging/image.h"

namespace orv {

// Every pixel becomes grey (R + G + B) div 3 in all three channels. Does nothing unless the
// view is 24-bit.
void MakeGrey(MutableImageView image);

// Every channel c becomes 255 - c. Does nothing unless the view is 24-bit.
void MakeNegative(MutableImageView image);

}  // namespace orv
