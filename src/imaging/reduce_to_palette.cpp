#include "imaging/reduce_to_palette.h"

#include <algorithm>
#include <optional>

#include "imaging/adaptive_palette.h"
#include "imaging/palette_mapping.h"

namespace orv {

bool ReduceToPalette(const ImageView& src, MutableImageView dst) {
  if (src.bitsPerPixel != 24 || dst.bitsPerPixel != 8 || dst.colors == nullptr ||
      src.width != dst.width || src.height != dst.height) {
    return false;
  }
  const std::optional<Palette> palette = BuildAdaptivePalette(src);
  if (!palette) return false;
  std::copy(palette->begin(), palette->end(), dst.colors);
  return MapToPalette(src, *palette, dst);
}

}  // namespace orv
