#include "imaging/rotate.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace orv {

namespace {

// A destination row is a source column, so a plain row-by-row walk would touch a new source
// cache line (and soon a new page) for every pixel. Square tiles keep the lines of one tile in
// the first-level cache while it is turned.
constexpr int kTile = 16;
constexpr int kBand = 256;

void Copy3(std::uint8_t* out, const std::uint8_t* in) {
  out[0] = in[0];
  out[1] = in[1];
  out[2] = in[2];
}

// Turns the tile of destination rows y0..y1 and columns x0..x1. Pixels move as four-byte words:
// the fourth byte read is still inside the source row, except in its last column, and the
// fourth byte written lands on the next destination pixel, which is written after it. So the
// last source column and the last destination column go byte by byte.
void TurnTile(const ImageView& src, const MutableImageView& dst, int x0, int x1, int y0, int y1) {
  const std::ptrdiff_t srcStride = src.stride;
  const int wordEnd = x1 == dst.width ? x1 - 1 : x1;
  for (int y = y0; y < y1; ++y) {
    std::uint8_t* out = dst.Row(y) + std::ptrdiff_t{3} * x0;
    const std::uint8_t* in = src.Row(x0) + std::ptrdiff_t{3} * (src.width - 1 - y);
    int x = x0;
    if (y > 0) {
      for (; x < wordEnd; ++x, out += 3, in += srcStride) {
        std::uint32_t pixel;
        std::memcpy(&pixel, in, 4);
        std::memcpy(out, &pixel, 4);
      }
    }
    for (; x < x1; ++x, out += 3, in += srcStride) Copy3(out, in);
  }
}

}  // namespace

bool RotateQuarterTurnLeft(const ImageView& src, MutableImageView dst) {
  if (src.bitsPerPixel != 24 || dst.bitsPerPixel != 24 || dst.width != src.height ||
      dst.height != src.width || src.width < 0 || src.height < 0) {
    return false;
  }
  // Bands of kBand destination columns (source rows) are walked top to bottom in strips of
  // kTile destination rows. A strip of a band touches the same few hundred source pages as the
  // strip before it, and each destination page gets kBand pixels at a time, so the walk stays
  // within the address-translation caches; within a strip, tiles go left to right, as the
  // four-byte writes require.
  for (int band = 0; band < dst.width; band += kBand) {
    const int bandEnd = std::min(band + kBand, dst.width);
    for (int y0 = 0; y0 < dst.height; y0 += kTile) {
      const int y1 = std::min(y0 + kTile, dst.height);
      for (int x0 = band; x0 < bandEnd; x0 += kTile) {
        TurnTile(src, dst, x0, std::min(x0 + kTile, bandEnd), y0, y1);
      }
    }
  }
  return true;
}

}  // namespace orv
