// The JPEG writer: libjpeg at its default parameters, with the quality taken from the format's
// setting on the 0 to 10 scale.
#pragma once

#include "imaging/image.h"
#include "output/output_file.h"

namespace orv {

// The setting clamped to 0..10, times ten: 9 gives libjpeg quality 90.
int JpegQualityFromSetting(int setting);

// Three components from RGB input, baseline not forced, everything else as jpeg_set_defaults
// leaves it. A palette image is written through its colour table. True when the whole file was
// written; on failure no file is left.
bool WriteJpegFile(const ImageView& image, const NativePath& file, int setting);

}  // namespace orv
