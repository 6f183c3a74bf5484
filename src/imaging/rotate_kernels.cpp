#include "imaging/rotate_kernels.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

namespace orv::rotate_kernels {

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
#endif

void TurnInTiles(const ImageView& src, const MutableImageView& dst, [[maybe_unused]] bool blocks) {
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
        if (blocks && x1 - x0 == kTile && y1 - y0 == kTile && y0 > 0 && x1 + 2 <= dst.width) {
          TurnTileInBlocks(src, dst, x0, x1, y0, y1);
          continue;
        }
#endif
        TurnTile(src, dst, x0, x1, y0, y1);
      }
    }
  }
}

}  // namespace

void TurnPortably(const ImageView& src, const MutableImageView& dst) {
  TurnInTiles(src, dst, false);
}

#if defined(__SSE2__)
void TurnWithSsse3(const ImageView& src, const MutableImageView& dst) {
  TurnInTiles(src, dst, true);
}

namespace {

// The AVX2 turn works in strips of eight destination rows (eight source columns), walked through
// bands of up to kAvx2Band source rows in tiles of sixteen: a tile reads eight pixels from each
// of sixteen source rows and writes sixteen pixels, 48 bytes, to each of eight destination rows.
// A strip's source lines stay in the second-level cache for the next strip, which reads the 24
// bytes to their left; a band touches few enough pages for the address cache, and each
// destination row is written in one run per band. Neither the source lines of the next strip
// nor the destination lines of the next tile come by themselves, so both are asked for ahead.
constexpr int kAvx2Band = 1024;

// A source row's eight pixels are read as 32 bytes from four bytes before them: the first four
// pixels at bytes 4..15 of the low half, the next four at bytes 0..11 of the high half. The two
// halves are turned alike, each as a 4 x 4 block of four source rows (a quad).
//
// A quad's row s is spread into 32-bit slots rotated by s places (slot t holds pixel t - s,
// modulo 4). Taking slot t from row t - m then gives pixel m of every row, a destination row,
// with the source rows rotated by m; eight dword blends make all four, because the blends for m
// and m + 2 use the same two halves. A last shuffle puts the rows in order and packs the twelve
// bytes; quad k of a tile packs them rotated by 12k bytes, so that neighbouring quads blend into
// the three whole 16-byte pieces of the tile's 48 destination bytes.
struct ShuffleControl {
  alignas(32) std::int8_t bytes[32];
};

constexpr ShuffleControl RotatedSlots(int s) {
  ShuffleControl control{};
  for (int half = 0; half < 2; ++half) {
    const int first = half == 0 ? 4 : 0;
    for (int slot = 0; slot < 4; ++slot) {
      const int pixel = (slot - s) & 3;
      for (int b = 0; b < 4; ++b) {
        control.bytes[16 * half + 4 * slot + b] =
            static_cast<std::int8_t>(b < 3 ? first + 3 * pixel + b : -1);
      }
    }
  }
  return control;
}

constexpr ShuffleControl Packing(int m, int k) {
  ShuffleControl control{};
  for (int half = 0; half < 2; ++half) {
    for (int position = 0; position < 16; ++position) control.bytes[16 * half + position] = -1;
    for (int j = 0; j < 12; ++j) {
      const int row = j / 3;
      control.bytes[16 * half + ((j + 12 * k) & 15)] =
          static_cast<std::int8_t>(4 * ((row + m) & 3) + j % 3);
    }
  }
  return control;
}

constexpr ShuffleControl kRotatedSlots[4] = {RotatedSlots(0), RotatedSlots(1), RotatedSlots(2),
                                             RotatedSlots(3)};
constexpr ShuffleControl kPackings[4][4] = {
    {Packing(0, 0), Packing(1, 0), Packing(2, 0), Packing(3, 0)},
    {Packing(0, 1), Packing(1, 1), Packing(2, 1), Packing(3, 1)},
    {Packing(0, 2), Packing(1, 2), Packing(2, 2), Packing(3, 2)},
    {Packing(0, 3), Packing(1, 3), Packing(2, 3), Packing(3, 3)}};

__attribute__((target("avx2"), always_inline)) inline __m256i Shuffle(
    __m256i v, const ShuffleControl& control) {
  return _mm256_shuffle_epi8(v, _mm256_load_si256(reinterpret_cast<const __m256i*>(control.bytes)));
}

// Near the ends of a source row the 32 bytes would reach past it; there the four bytes on
// either side of the eight pixels, which the shuffles never use, are left unread.
template <bool kAtRowEnd>
__attribute__((target("avx2"), always_inline)) inline __m256i LoadEightPixels(
    const std::uint8_t* pixels) {
  if (kAtRowEnd) {
    const __m256i inner = _mm256_setr_epi32(0, -1, -1, -1, -1, -1, -1, 0);
    return _mm256_maskload_epi32(
        reinterpret_cast<const int*>(reinterpret_cast<std::uintptr_t>(pixels) - 4), inner);
  }
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(pixels - 4));
}

// The four destination rows of a quad: in rowM the low half belongs to the strip's source column
// m, the high half to column m + 4.
struct QuadRows {
  __m256i row0, row1, row2, row3;
};

template <int k, bool kAtRowEnd>
__attribute__((target("avx2"), always_inline)) inline QuadRows TurnQuad(const std::uint8_t* in,
                                                                        std::ptrdiff_t stride) {
  const __m256i r0 = Shuffle(LoadEightPixels<kAtRowEnd>(in), kRotatedSlots[0]);
  const __m256i r1 = Shuffle(LoadEightPixels<kAtRowEnd>(in + stride), kRotatedSlots[1]);
  const __m256i r2 = Shuffle(LoadEightPixels<kAtRowEnd>(in + 2 * stride), kRotatedSlots[2]);
  const __m256i r3 = Shuffle(LoadEightPixels<kAtRowEnd>(in + 3 * stride), kRotatedSlots[3]);
  // Slots 0, 1 of r0 and 2, 3 of r2, and the other way round; slots 1, 2 of r1 and 3, 0 of r3,
  // and the other way round.
  const __m256i even = _mm256_blend_epi32(r0, r2, 0xcc);
  const __m256i evenSwapped = _mm256_blend_epi32(r2, r0, 0xcc);
  const __m256i odd = _mm256_blend_epi32(r3, r1, 0x66);
  const __m256i oddSwapped = _mm256_blend_epi32(r1, r3, 0x66);
  return {Shuffle(_mm256_blend_epi32(odd, even, 0x55), kPackings[k][0]),
          Shuffle(_mm256_blend_epi32(odd, even, 0xaa), kPackings[k][1]),
          Shuffle(_mm256_blend_epi32(oddSwapped, evenSwapped, 0x55), kPackings[k][2]),
          Shuffle(_mm256_blend_epi32(oddSwapped, evenSwapped, 0xaa), kPackings[k][3])};
}

// The first two 16-byte pieces of each destination row go out as one 32-byte write and the third
// as a 16-byte write: the processor does fewer writes than shuffles per cycle, and two lane swaps
// for a write fewer were faster.
__attribute__((target("avx2"), always_inline)) inline void StoreFirstPieces(std::uint8_t* low,
                                                                            std::uint8_t* high,
                                                                            __m256i first,
                                                                            __m256i second) {
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(low),
                      _mm256_permute2x128_si256(first, second, 0x20));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(high),
                      _mm256_permute2x128_si256(first, second, 0x31));
}

__attribute__((target("avx2"), always_inline)) inline void StoreLastPiece(std::uint8_t* low,
                                                                          std::uint8_t* high,
                                                                          __m256i v) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(low + 32), _mm256_castsi256_si128(v));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(high + 32), _mm256_extracti128_si256(v, 1));
}

// `in` is the strip's first source column in the tile's first source row, `out` the tile's first
// byte in the strip's first destination row, which is source column 7.
template <bool kAtRowEnd>
__attribute__((target("avx2"), always_inline)) inline void TurnSixteenRows(
    const std::uint8_t* in, std::ptrdiff_t inStride, std::uint8_t* out, std::ptrdiff_t outStride) {
  std::uint8_t* const rows[8] = {
      out + 7 * outStride, out + 6 * outStride, out + 5 * outStride, out + 4 * outStride,
      out + 3 * outStride, out + 2 * outStride, out + outStride,     out};
  const QuadRows q0 = TurnQuad<0, kAtRowEnd>(in, inStride);
  const QuadRows q1 = TurnQuad<1, kAtRowEnd>(in + 4 * inStride, inStride);
  const __m256i first0 = _mm256_blend_epi32(q0.row0, q1.row0, 0x88);
  const __m256i first1 = _mm256_blend_epi32(q0.row1, q1.row1, 0x88);
  const __m256i first2 = _mm256_blend_epi32(q0.row2, q1.row2, 0x88);
  const __m256i first3 = _mm256_blend_epi32(q0.row3, q1.row3, 0x88);
  const QuadRows q2 = TurnQuad<2, kAtRowEnd>(in + 8 * inStride, inStride);
  StoreFirstPieces(rows[0], rows[4], first0, _mm256_blend_epi32(q1.row0, q2.row0, 0xcc));
  StoreFirstPieces(rows[1], rows[5], first1, _mm256_blend_epi32(q1.row1, q2.row1, 0xcc));
  StoreFirstPieces(rows[2], rows[6], first2, _mm256_blend_epi32(q1.row2, q2.row2, 0xcc));
  StoreFirstPieces(rows[3], rows[7], first3, _mm256_blend_epi32(q1.row3, q2.row3, 0xcc));
  const QuadRows q3 = TurnQuad<3, kAtRowEnd>(in + 12 * inStride, inStride);
  StoreLastPiece(rows[0], rows[4], _mm256_blend_epi32(q2.row0, q3.row0, 0xee));
  StoreLastPiece(rows[1], rows[5], _mm256_blend_epi32(q2.row1, q3.row1, 0xee));
  StoreLastPiece(rows[2], rows[6], _mm256_blend_epi32(q2.row2, q3.row2, 0xee));
  StoreLastPiece(rows[3], rows[7], _mm256_blend_epi32(q2.row3, q3.row3, 0xee));
}

// Turns `count` (at least 16) source rows of a strip. The last tile is moved back to end at the
// last row; it writes some pixels a second time with the same values.
template <bool kAtRowEnd>
__attribute__((target("avx2"))) void TurnStrip(const std::uint8_t* in, std::ptrdiff_t inStride,
                                               std::uint8_t* out, std::ptrdiff_t outStride,
                                               int count, bool prefetch) {
  for (int x = 0;;) {
    const std::uint8_t* tileIn = in + x * inStride;
    std::uint8_t* tileOut = out + 3 * x;
    if (prefetch) {
      // The next strip starts reading 24 bytes further left, which in some rows is in the line
      // before. With the hint for the outer caches: with the one for all levels it was slower.
      for (int r = 0; r < 16; ++r) __builtin_prefetch(tileIn + r * inStride - 28, 0, 2);
    }
    if (x + 32 <= count) {
      // The destination lines the next tile writes, so that its writes find them at hand.
      for (int r = 0; r < 8; ++r) {
        __builtin_prefetch(tileOut + r * outStride + 48, 1, 3);
        __builtin_prefetch(tileOut + r * outStride + 95, 1, 3);
      }
    }
    TurnSixteenRows<kAtRowEnd>(tileIn, inStride, tileOut, outStride);
    if (x + 16 == count) break;
    x = std::min(x + 16, count - 16);
  }
}

}  // namespace

__attribute__((target("avx2"))) void TurnWithAvx2(const ImageView& src,
                                                  const MutableImageView& dst) {
  const int w = src.width, h = src.height;
  if (w < 8 || h < 16) {
    TurnWithSsse3(src, dst);
    return;
  }
  for (int x0 = 0; x0 < h;) {
    // A short band would be below a tile; the last band takes up to 15 rows more instead.
    const int x1 = h - x0 < kAvx2Band + 16 ? h : x0 + kAvx2Band;
    for (int strip = 0; strip < w; strip += 8) {
      // The last strip is moved up to end at the last destination row, like the last tile.
      const int y = std::min(strip, w - 8);
      const int column = w - 8 - y;
      const std::uint8_t* in = src.Row(x0) + std::ptrdiff_t{3} * column;
      std::uint8_t* out = dst.Row(y) + std::ptrdiff_t{3} * x0;
      // The 32 bytes from 4 before the strip's first column stay in the row from column 2 to
      // column w - 10, and the prefetch 28 bytes before it from column 10.
      const bool prefetch = column >= 10;
      if (column >= 2 && column <= w - 10) {
        TurnStrip<false>(in, src.stride, out, dst.stride, x1 - x0, prefetch);
      } else {
        TurnStrip<true>(in, src.stride, out, dst.stride, x1 - x0, prefetch);
      }
    }
    x0 = x1;
  }
}
#endif

}  // namespace orv::rotate_kernels
