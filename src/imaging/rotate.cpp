#include "imaging/rotate.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <tmmintrin.h>
#endif

namespace orv {

namespace {

// A destination row is a source column, so a plain row-by-row walk would touch a new source
// cache line, and soon a new page, for every pixel. The turn works in tiles of kTile x kTile
// pixels instead, grouped in bands of kBand destination columns (source rows): the bands'
// strips of kTile destination rows are walked top to bottom, so a strip touches the same few
// hundred source pages as the strip before it and every destination row is written in runs of
// kBand pixels.
constexpr int kTile = 16;
constexpr int kBand = 256;

std::uint32_t Load4(const std::uint8_t* p) {
  std::uint32_t word;
  std::memcpy(&word, p, 4);
  return word;
}

// Turns the tile of destination rows y0..y1 and columns x0..x1.
//
// Pixels are read as four-byte words, whose fourth byte is still inside the source row except
// in the last source column (destination row 0), and written in pairs as eight-byte words. The
// two bytes a pair writes too many, and the one byte of a single four-byte write, land on the
// next destination pixel, which is written after it; at the end of a destination row, where
// they would land on padding or another row, pixels are written byte by byte.
void TurnTile(const ImageView& src, const MutableImageView& dst, int x0, int x1, int y0, int y1) {
  const std::ptrdiff_t stride = src.stride;
  const int lastColumn = dst.width - 1;
  for (int y = y0; y < y1; ++y) {
    std::uint8_t* out = dst.Row(y) + std::ptrdiff_t{3} * x0;
    const std::uint8_t* in = src.Row(x0) + std::ptrdiff_t{3} * (src.width - 1 - y);
    int x = x0;
    if (y > 0) {
      for (; x + 1 < x1 && x + 2 <= lastColumn; x += 2, out += 6, in += 2 * stride) {
        const std::uint64_t pair =
            (Load4(in) & 0xffffffu) | (std::uint64_t{Load4(in + stride)} << 24);
        std::memcpy(out, &pair, 8);
      }
      for (; x < x1 && x < lastColumn; ++x, out += 3, in += stride) {
        const std::uint32_t pixel = Load4(in);
        std::memcpy(out, &pixel, 4);
      }
    }
    for (; x < x1; ++x, out += 3, in += stride) {
      out[0] = in[0];
      out[1] = in[1];
      out[2] = in[2];
    }
  }
}

#if defined(__SSE2__)
// With byte shuffles, 4 x 4 pixels at a time: each source row's four pixels are spread into
// 32-bit lanes, the four vectors are transposed as a 4 x 4 matrix, and each column is packed
// back into twelve bytes. `in` is the first of the four source pixels in the top source row,
// `out` the first destination pixel of the lowest of the four destination rows. Reads and
// writes are sixteen bytes: the four bytes past the pixels must belong to the rows, and the
// ones written are rewritten later.
__attribute__((target("ssse3"))) inline void TurnBlock(const std::uint8_t* in,
                                                       std::ptrdiff_t inStride, std::uint8_t* out,
                                                       std::ptrdiff_t outStride) {
  const __m128i toLanes = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
  const __m128i fromLanes = _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
  const __m128i r0 =
      _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in)), toLanes);
  in += inStride;
  const __m128i r1 =
      _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in)), toLanes);
  in += inStride;
  const __m128i r2 =
      _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in)), toLanes);
  in += inStride;
  const __m128i r3 =
      _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in)), toLanes);
  const __m128i low01 = _mm_unpacklo_epi32(r0, r1), low23 = _mm_unpacklo_epi32(r2, r3);
  const __m128i high01 = _mm_unpackhi_epi32(r0, r1), high23 = _mm_unpackhi_epi32(r2, r3);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out),
                   _mm_shuffle_epi8(_mm_unpacklo_epi64(low01, low23), fromLanes));
  out -= outStride;
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out),
                   _mm_shuffle_epi8(_mm_unpackhi_epi64(low01, low23), fromLanes));
  out -= outStride;
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out),
                   _mm_shuffle_epi8(_mm_unpacklo_epi64(high01, high23), fromLanes));
  out -= outStride;
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out),
                   _mm_shuffle_epi8(_mm_unpackhi_epi64(high01, high23), fromLanes));
}

__attribute__((target("ssse3"))) void TurnTileInBlocks(const ImageView& src,
                                                       const MutableImageView& dst, int x0, int x1,
                                                       int y0, int y1) {
  for (int y = y0; y < y1; y += 4) {
    const std::uint8_t* in = src.Row(x0) + std::ptrdiff_t{3} * (src.width - 4 - y);
    std::uint8_t* out = dst.Row(y + 3) + std::ptrdiff_t{3} * x0;
    for (int x = x0; x < x1; x += 4, in += 4 * src.stride, out += 12) {
      TurnBlock(in, src.stride, out, dst.stride);
    }
  }
}

bool HaveSsse3() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("ssse3");
}
#endif

}  // namespace

bool RotateQuarterTurnLeft(const ImageView& src, MutableImageView dst) {
  if (src.bitsPerPixel != 24 || dst.bitsPerPixel != 24 || dst.width != src.height ||
      dst.height != src.width || src.width < 0 || src.height < 0) {
    return false;
  }
  // Within a strip, tiles go left to right, as the overlapping writes require.
  for (int band = 0; band < dst.width; band += kBand) {
    const int bandEnd = std::min(band + kBand, dst.width);
    for (int y0 = 0; y0 < dst.height; y0 += kTile) {
      const int y1 = std::min(y0 + kTile, dst.height);
      const int nextStripEnd = std::min(y1 + kTile, dst.height);
      for (int x0 = band; x0 < bandEnd; x0 += kTile) {
        const int x1 = std::min(x0 + kTile, bandEnd);
        // The hardware cannot guess this walk; ask early for the source lines that this tile's
        // place in the next strip will read.
        if (nextStripEnd > y1) {
          const std::uint8_t* ahead = src.Row(x0) + std::ptrdiff_t{3} * (src.width - nextStripEnd);
          for (int x = x0; x < x1; ++x, ahead += src.stride) {
            __builtin_prefetch(ahead);
            __builtin_prefetch(ahead + 3 * (nextStripEnd - y1) - 1);
          }
        }
#if defined(__SSE2__)
        // Whole tiles away from destination row 0 and the right edge read and write whole
        // sixteen bytes within the rows.
        static const bool blocks = HaveSsse3();
        if (blocks && x1 - x0 == kTile && y1 - y0 == kTile && y0 > 0 && x1 + 2 <= dst.width) {
          TurnTileInBlocks(src, dst, x0, x1, y0, y1);
          continue;
        }
#endif
        TurnTile(src, dst, x0, x1, y0, y1);
      }
    }
  }
  return true;
}

}  // namespace orv
