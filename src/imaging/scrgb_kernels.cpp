#include "imaging/scrgb_kernels.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

namespace orv::scrgb_kernels {

namespace {

// Rounded to 8 bits, the sRGB encoding of a linear value in 0..1 is the number of code
// boundaries (the linear values halfway between two codes) at or below it. The table holds one
// entry for each run of floats that share their top 17 bits, 1/256 of an octave, which is less
// than the distance between any two boundaries: the code at the run's start (low 8 bits) and the
// low 15 bits of the boundary inside the run, kNoBoundary when there is none. Below 2^-13 every
// value encodes as 0; 1.0 is the last run.
constexpr int kRunShift = 15;
constexpr std::uint32_t kLowBits = (1u << kRunShift) - 1;
constexpr std::uint32_t kNoBoundary = 1u << kRunShift;
constexpr int kFirstRun = static_cast<int>(0x39000000u >> kRunShift);  // 2^-13
constexpr int kRuns = static_cast<int>(0x3F800000u >> kRunShift) - kFirstRun + 1;

using EncodingTable = std::array<std::uint32_t, kRuns>;

const EncodingTable& Encoding() {
  static const EncodingTable table = [] {
    // boundary[k]: the least float at or above the linear value halfway between codes k-1 and k.
    std::array<float, 256> boundary{};
    for (int k = 1; k < 256; ++k) {
      const double v = (k - 0.5) / 255.0;
      const double linear = v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
      float f = static_cast<float>(linear);
      if (f < linear) f = std::nextafter(f, 2.0f);
      boundary[k] = f;
    }
    EncodingTable runs{};
    int code = 0;
    for (int run = 0; run < kRuns; ++run) {
      const std::uint32_t first = static_cast<std::uint32_t>(kFirstRun + run) << kRunShift;
      while (code < 255 && boundary[code + 1] <= std::bit_cast<float>(first)) ++code;
      std::uint32_t low = kNoBoundary;
      if (code < 255) {
        const auto next = std::bit_cast<std::uint32_t>(boundary[code + 1]);
        if ((next >> kRunShift) == (first >> kRunShift)) low = next & kLowBits;
      }
      runs[run] = static_cast<std::uint32_t>(code) | low << 8;
    }
    return runs;
  }();
  return table;
}

// The vector instructions' comparisons: the second operand unless the first is smaller (larger).
// Both paths use them, so that they agree even on the sign of a zero.
inline float Min(float a, float b) {
  return a < b ? a : b;
}
inline float Max(float a, float b) {
  return a > b ? a : b;
}

constexpr float kLargestHalf = 65504.0f;
// How fast colours brighter than SDR white go to white: at 1 + kRollOff times SDR white they are
// halfway there.
constexpr float kRollOff = 3.0f;
// Luminance of linear sRGB.
constexpr float kRed = 0.2126f, kGreen = 0.7152f, kBlue = 0.0722f;

// x in 0..1, a positive zero included.
inline int Encode(float x, const EncodingTable& table) {
  const auto bits = std::bit_cast<std::uint32_t>(x);
  int run = static_cast<int>(bits >> kRunShift) - kFirstRun;
  if (run < 0) run = 0;
  const std::uint32_t entry = table[static_cast<std::size_t>(run)];
  return static_cast<int>(entry & 0xff) + ((bits & kLowBits) >= (entry >> 8) ? 1 : 0);
}

inline float Scaled(float stored, float scale) {
  if (stored != stored) stored = 0;  // NaN
  return Min(Max(stored, -kLargestHalf), kLargestHalf) * scale;
}

// Half float to float, exactly (what F16C's conversion gives).
inline float HalfToFloat(std::uint16_t half) {
  const std::uint32_t sign = static_cast<std::uint32_t>(half & 0x8000u) << 16;
  const std::uint32_t exponent = (half >> 10) & 0x1fu, mantissa = half & 0x3ffu;
  if (exponent == 0) {
    const float magnitude = static_cast<float>(mantissa) * 0x1p-24f;
    return sign ? -magnitude : magnitude;
  }
  const std::uint32_t bits = exponent == 0x1f ? sign | 0x7f800000u | mantissa << 13
                                              : sign | (exponent + 112) << 23 | mantissa << 13;
  return std::bit_cast<float>(bits);
}

}  // namespace

void ConvertPixel(float red, float green, float blue, float scale, std::uint8_t* bgr) {
  const EncodingTable& table = Encoding();
  float r = Scaled(red, scale), g = Scaled(green, scale), b = Scaled(blue, scale);
  const float lowest = Min(Min(r, g), b);
  if (lowest < 0) {
    // Outside the gamut: towards the grey of the same luminance, until no channel is negative.
    const float y = kRed * r + kGreen * g + kBlue * b;
    if (y > 0) {
      const float t = y / (y - lowest);
      r = y + t * (r - y);
      g = y + t * (g - y);
      b = y + t * (b - y);
    } else {
      r = g = b = 0;
    }
  }
  // Brighter than SDR white: the colour at SDR white's brightness, taken towards white.
  const float top = Max(Max(Max(r, g), b), 1.0f);
  const float inverse = 1.0f / top;
  const float over = top - 1.0f;
  const float towardsWhite = over / (over + kRollOff);
  const float channels[3] = {b, g, r};
  for (int i = 0; i < 3; ++i) {
    const auto code =
        static_cast<float>(Encode(Min(Max(channels[i] * inverse, 0.0f), 1.0f), table));
    bgr[i] =
        static_cast<std::uint8_t>(static_cast<int>(code + towardsWhite * (255.0f - code) + 0.5f));
  }
}

void ConvertRowPortably(const std::uint8_t* halves, int width, float scale, std::uint8_t* bgr) {
  for (int x = 0; x < width; ++x, halves += 8, bgr += 3) {
    std::uint16_t rgb[3];
    std::memcpy(rgb, halves, sizeof rgb);
    ConvertPixel(HalfToFloat(rgb[0]), HalfToFloat(rgb[1]), HalfToFloat(rgb[2]), scale, bgr);
  }
}

#if defined(__SSE2__)

namespace {

#define ORV_AVX2 __attribute__((target("avx2,f16c")))

// The codes of eight values in 0..1.
ORV_AVX2 inline __m256i EncodeEight(__m256 x, const EncodingTable& table) {
  const __m256i bits = _mm256_castps_si256(x);
  const __m256i run = _mm256_max_epi32(
      _mm256_sub_epi32(_mm256_srli_epi32(bits, kRunShift), _mm256_set1_epi32(kFirstRun)),
      _mm256_setzero_si256());
  const __m256i entry = _mm256_i32gather_epi32(reinterpret_cast<const int*>(table.data()), run, 4);
  const __m256i code = _mm256_and_si256(entry, _mm256_set1_epi32(0xff));
  const __m256i boundary = _mm256_srli_epi32(entry, 8);
  const __m256i low = _mm256_and_si256(bits, _mm256_set1_epi32(kLowBits));
  // low >= boundary: low + 1 > boundary, whose all-ones lanes count as -1.
  return _mm256_sub_epi32(
      code, _mm256_cmpgt_epi32(_mm256_add_epi32(low, _mm256_set1_epi32(1)), boundary));
}

ORV_AVX2 inline __m256 ScaledEight(__m256 stored, __m256 scale) {
  const __m256 number = _mm256_and_ps(stored, _mm256_cmp_ps(stored, stored, _CMP_ORD_Q));
  const __m256 clamped = _mm256_min_ps(_mm256_max_ps(number, _mm256_set1_ps(-kLargestHalf)),
                                       _mm256_set1_ps(kLargestHalf));
  return _mm256_mul_ps(clamped, scale);
}

// Lanes of `yes` where `mask` is set, else of `no`.
ORV_AVX2 inline __m256 Select(__m256 mask, __m256 yes, __m256 no) {
  return _mm256_blendv_ps(no, yes, mask);
}

ORV_AVX2 inline __m256 Top(__m256 r, __m256 g, __m256 b) {
  return _mm256_max_ps(_mm256_max_ps(_mm256_max_ps(r, g), b), _mm256_set1_ps(1.0f));
}

// A channel moved towards the grey y by t where `outside`, black where y is not positive there.
ORV_AVX2 inline __m256 IntoGamut(__m256 c, __m256 y, __m256 t, __m256 outside, __m256 visible) {
  const __m256 moved = _mm256_add_ps(y, _mm256_mul_ps(t, _mm256_sub_ps(c, y)));
  return Select(outside, Select(visible, moved, _mm256_setzero_ps()), c);
}

ORV_AVX2 inline __m256i Code(__m256 c, const EncodingTable& table) {
  return EncodeEight(_mm256_min_ps(_mm256_max_ps(c, _mm256_setzero_ps()), _mm256_set1_ps(1.0f)),
                     table);
}

ORV_AVX2 inline __m256i TowardsWhite(__m256i code, __m256 amount) {
  const __m256 f = _mm256_cvtepi32_ps(code);
  const __m256 mixed =
      _mm256_add_ps(f, _mm256_mul_ps(amount, _mm256_sub_ps(_mm256_set1_ps(255.0f), f)));
  return _mm256_cvttps_epi32(_mm256_add_ps(mixed, _mm256_set1_ps(0.5f)));
}

ORV_AVX2 inline __m256 Even(__m256 a, __m256 b) {
  return _mm256_castpd_ps(_mm256_unpacklo_pd(_mm256_castps_pd(a), _mm256_castps_pd(b)));
}
ORV_AVX2 inline __m256 Odd(__m256 a, __m256 b) {
  return _mm256_castpd_ps(_mm256_unpackhi_pd(_mm256_castps_pd(a), _mm256_castps_pd(b)));
}

}  // namespace

// Eight pixels at a time, the same operations as ConvertPixel in the same order; blocks whose
// pixels are all SDR content skip the steps that leave such pixels as they are. The four
// conversions of two pixels each, transposed, leave the pixels in the order 0 2 4 6 1 3 5 7,
// which the packing undoes. The 24 bytes are written as two 16-byte stores whose last four bytes
// land on the next pixels: the loop stops where those would leave the row.
ORV_AVX2 void ConvertRowWithAvx2(const std::uint8_t* halves, int width, float scale,
                                 std::uint8_t* bgr) {
  const EncodingTable& table = Encoding();
  const __m256 scales = _mm256_set1_ps(scale), zero = _mm256_setzero_ps();
  const __m256 one = _mm256_set1_ps(1.0f);
  const __m256i order = _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7);
  const __m256i pack = _mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1, 0,
                                        1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
  int x = 0;
  for (; x + 10 <= width; x += 8, halves += 64, bgr += 24) {
    const auto* in = reinterpret_cast<const __m128i*>(halves);
    const __m256 p01 = _mm256_cvtph_ps(_mm_loadu_si128(in));
    const __m256 p23 = _mm256_cvtph_ps(_mm_loadu_si128(in + 1));
    const __m256 p45 = _mm256_cvtph_ps(_mm_loadu_si128(in + 2));
    const __m256 p67 = _mm256_cvtph_ps(_mm_loadu_si128(in + 3));
    const __m256 rg0 = _mm256_unpacklo_ps(p01, p23), ba0 = _mm256_unpackhi_ps(p01, p23);
    const __m256 rg1 = _mm256_unpacklo_ps(p45, p67), ba1 = _mm256_unpackhi_ps(p45, p67);
    __m256 r = ScaledEight(Even(rg0, rg1), scales);
    __m256 g = ScaledEight(Odd(rg0, rg1), scales);
    __m256 b = ScaledEight(Even(ba0, ba1), scales);

    const __m256 outside = _mm256_cmp_ps(_mm256_min_ps(_mm256_min_ps(r, g), b), zero, _CMP_LT_OQ);
    const __m256 bright = _mm256_cmp_ps(Top(r, g, b), one, _CMP_GT_OQ);
    __m256i codes[3];
    if (_mm256_movemask_ps(_mm256_or_ps(outside, bright)) == 0) {
      codes[0] = Code(b, table);
      codes[1] = Code(g, table);
      codes[2] = Code(r, table);
    } else {
      if (_mm256_movemask_ps(outside) != 0) {
        const __m256 lowest = _mm256_min_ps(_mm256_min_ps(r, g), b);
        const __m256 y = _mm256_add_ps(_mm256_add_ps(_mm256_mul_ps(_mm256_set1_ps(kRed), r),
                                                     _mm256_mul_ps(_mm256_set1_ps(kGreen), g)),
                                       _mm256_mul_ps(_mm256_set1_ps(kBlue), b));
        const __m256 t = _mm256_div_ps(y, _mm256_sub_ps(y, lowest));
        const __m256 visible = _mm256_cmp_ps(y, zero, _CMP_GT_OQ);
        r = IntoGamut(r, y, t, outside, visible);
        g = IntoGamut(g, y, t, outside, visible);
        b = IntoGamut(b, y, t, outside, visible);
      }
      const __m256 top = Top(r, g, b);
      const __m256 inverse = _mm256_div_ps(one, top);
      const __m256 over = _mm256_sub_ps(top, one);
      const __m256 amount = _mm256_div_ps(over, _mm256_add_ps(over, _mm256_set1_ps(kRollOff)));
      codes[0] = TowardsWhite(Code(_mm256_mul_ps(b, inverse), table), amount);
      codes[1] = TowardsWhite(Code(_mm256_mul_ps(g, inverse), table), amount);
      codes[2] = TowardsWhite(Code(_mm256_mul_ps(r, inverse), table), amount);
    }
    const __m256i pixels = _mm256_or_si256(
        codes[0], _mm256_or_si256(_mm256_slli_epi32(codes[1], 8), _mm256_slli_epi32(codes[2], 16)));
    const __m256i packed = _mm256_shuffle_epi8(_mm256_permutevar8x32_epi32(pixels, order), pack);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(bgr), _mm256_castsi256_si128(packed));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(bgr + 12), _mm256_extracti128_si256(packed, 1));
  }
  ConvertRowPortably(halves, width - x, scale, bgr);
}

#undef ORV_AVX2

#endif

}  // namespace orv::scrgb_kernels
