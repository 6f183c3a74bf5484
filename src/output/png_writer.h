// The PNG writer: libpng with zlib, 8 bits per sample, no interlacing, filter None on every row
// and zlib's strongest compression.
#pragma once

#include "imaging/image.h"
#include "output/output_file.h"

namespace orv {

constexpr int kPngZlibLevel = 9;

// A 24-bit image becomes colour type RGB, a palette image colour type palette with its 256
// colours. True when the whole file was written; on failure no file is left. The level is
// there for measuring what compression costs; the program always uses kPngZlibLevel.
bool WritePngFile(const ImageView& image, const NativePath& file, int zlibLevel = kPngZlibLevel);

}  // namespace orv
