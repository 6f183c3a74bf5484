// GIF and TIFF files through the system's GDI+ library. The library is loaded, started, used for
// one file, shut down and unloaded again, so that it costs nothing between saves.
#pragma once

#include <string>

#include "imaging/image.h"

namespace orv {

enum class GdiPlusFormat { Gif, Tiff };

enum class GdiPlusResult {
  Saved,
  Failed,       // the bitmap could not be made or encoded, or the file not written
  Unavailable,  // gdiplus.dll (or one of its entry points) is missing
};

// Writes the image (8 bits with its colour table for GIF, 24 bits for TIFF) with GDI+'s encoder
// at its defaults. GDI+ reads the pixels where they are, for the length of the call. A failed
// save leaves no file.
GdiPlusResult SaveWithGdiPlus(const ImageView& image, const std::wstring& file,
                              GdiPlusFormat format);

}  // namespace orv
