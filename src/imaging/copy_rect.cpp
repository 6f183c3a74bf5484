#include "imaging/copy_rect.h"

#include <algorithm>
#include <cstring>

namespace orv {

void CopyImageRect(const ImageView& src, int x, int y, const MutableImageView& dst) {
  const int bytesPerPixel = dst.bitsPerPixel / 8;
  const std::size_t rowBytes = static_cast<std::size_t>(dst.width) * bytesPerPixel;
  // The columns of dst that have a source column.
  const int firstColumn = std::clamp(-x, 0, dst.width);
  const int endColumn = std::clamp(src.width - x, firstColumn, dst.width);
  for (int row = 0; row < dst.height; ++row) {
    std::uint8_t* out = dst.Row(row);
    const int sourceRow = y + row;
    if (sourceRow < 0 || sourceRow >= src.height || firstColumn == endColumn) {
      std::memset(out, 0, rowBytes);
      continue;
    }
    std::memset(out, 0, static_cast<std::size_t>(firstColumn) * bytesPerPixel);
    std::memcpy(out + static_cast<std::size_t>(firstColumn) * bytesPerPixel,
                src.Row(sourceRow) + static_cast<std::size_t>(x + firstColumn) * bytesPerPixel,
                static_cast<std::size_t>(endColumn - firstColumn) * bytesPerPixel);
    std::memset(out + static_cast<std::size_t>(endColumn) * bytesPerPixel, 0,
                static_cast<std::size_t>(dst.width - endColumn) * bytesPerPixel);
  }
}

}  // namespace orv
