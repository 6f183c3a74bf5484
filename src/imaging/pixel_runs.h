// Walking 24-bit rows the way screenshots are made: long flat stretches between a few busy
// places. The palette code takes a flat stretch at once and only the busy pixels one by one.
#pragma once

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace orv {

// Calls flat(x, length, 0x00RRGGBB) for stretches of equal pixels found sixteen at a time, and
// pixel(x, 0x00RRGGBB) for every other pixel, left to right. Neighbouring flat blocks of one
// colour are passed as one stretch.
template <typename Flat, typename Pixel>
void ScanRow(const std::uint8_t* p, int width, Flat flat, Pixel pixel) {
  int x = 0;
#if defined(__SSE2__)
  int flatStart = 0, flatLength = 0;
  std::uint32_t flatColour = 0;
  // Sixteen pixels are all equal when their first 45 bytes match the 45 bytes one pixel on.
  // The reads stay within the row while x + 17 <= width; the last three bytes compared belong
  // to the next pixel and are not looked at.
  const __m128i beyondBlock = _mm_setr_epi8(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, -1, -1, -1);
  for (; x + 17 <= width; x += 16) {
    const std::uint8_t* q = p + 3 * x;
    const auto load = [](const std::uint8_t* at) {
      return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    };
    const __m128i same =
        _mm_and_si128(_mm_and_si128(_mm_cmpeq_epi8(load(q), load(q + 3)),
                                    _mm_cmpeq_epi8(load(q + 16), load(q + 19))),
                      _mm_or_si128(_mm_cmpeq_epi8(load(q + 32), load(q + 35)), beyondBlock));
    std::uint32_t word;
    std::memcpy(&word, q, 4);
    const std::uint32_t colour = word & 0xffffff;
    if (_mm_movemask_epi8(same) == 0xffff) {
      if (flatLength > 0 && colour == flatColour && flatStart + flatLength == x) {
        flatLength += 16;
        continue;
      }
      if (flatLength > 0) flat(flatStart, flatLength, flatColour);
      flatStart = x;
      flatLength = 16;
      flatColour = colour;
      continue;
    }
    if (flatLength > 0) flat(flatStart, flatLength, flatColour);
    flatLength = 0;
    for (int k = 0; k < 16; ++k, q += 3) {
      std::memcpy(&word, q, 4);
      pixel(x + k, word & 0xffffff);
    }
  }
  if (flatLength > 0) flat(flatStart, flatLength, flatColour);
#endif
  // The rest one by one; the last pixel's fourth byte may lie outside the row.
  for (; x < width; ++x) {
    const std::uint8_t* q = p + 3 * x;
    pixel(x, (std::uint32_t{q[2]} << 16) | (std::uint32_t{q[1]} << 8) | q[0]);
  }
}

}  // namespace orv
