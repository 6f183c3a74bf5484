// The BMP writer: an uncompressed Windows bitmap file of the image's depth, used for saved
// files and for the temporary file handed to the paint program.
#pragma once

#include "imaging/image.h"
#include "output/output_file.h"

namespace orv {

// A 14-byte file header ("BM", file size, reserved 0, pixel offset) in front of the packed
// bitmap (packed_dib.h). True when the whole file was written; on failure no file is left.
bool WriteBmpFile(const ImageView& image, const NativePath& file);

}  // namespace orv
