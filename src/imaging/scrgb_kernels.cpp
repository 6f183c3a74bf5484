#include "imaging/scrgb_kernels.h"

#include <bit>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

namespace orv::scrgb_kernels {

namespace {

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

// Beyond SDR content the sRGB curve is computed, not looked up: x = m * 2^e with m in 1..2 and
// e in -9..0 above the linear part, x^(1/2.4) = m^(5/12) * 2^(5e/12), m^(5/12) by a polynomial
// that meets it at 1 and 2 (within 2e-5 between; a code is off by 0.005 at most).
constexpr float kLinearEnd = 0.0031308f;
constexpr float kRoot[5] = {0.41098204f, 0.82881045f, -0.31745371f, 0.088315956f, -0.010654745f};
constexpr float kOctave[10] = {0.074325442f, 0.099212565f, 0.13243289f, 0.17677669f, 0.23596857f,
                               0.31498027f,  0.42044821f,  0.56123102f, 0.74915355f, 1.0f};

// Half float to float, exactly (as F16C's conversion does).
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

// The exact curve, rounded: the code of SDR content.
std::uint8_t SdrCode(float x) {
  const double v = x <= 0.0031308 ? 12.92 * x : 1.055 * std::pow(x, 1 / 2.4) - 0.055;
  return static_cast<std::uint8_t>(std::lround(255 * v));
}

// The computed curve times 255, for x in 0..1.
inline float Curve(float x) {
  if (x <= kLinearEnd) return 255.0f * (12.92f * x);
  const auto bits = std::bit_cast<std::uint32_t>(x);
  const float m = std::bit_cast<float>((bits & 0x007fffffu) | 0x3f800000u);
  float root = kRoot[4] * m + kRoot[3];
  root = root * m + kRoot[2];
  root = root * m + kRoot[1];
  root = root * m + kRoot[0];
  const float power = root * kOctave[static_cast<int>(bits >> 23) - 127 + 9];
  return 255.0f * (1.055f * power - 0.055f);
}

inline float Scaled(float stored, float scale) {
  if (stored != stored) stored = 0;  // NaN
  return Min(Max(stored, -kLargestHalf), kLargestHalf) * scale;
}

// A pixel that is not all SDR content.
void ConvertBright(float red, float green, float blue, float scale, std::uint8_t* bgr) {
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
    const float code = Curve(Min(Max(channels[i] * inverse, 0.0f), 1.0f));
    bgr[i] =
        static_cast<std::uint8_t>(static_cast<int>(code + towardsWhite * (255.0f - code) + 0.5f));
  }
}

}  // namespace

bool IsSdr(std::uint16_t half, float scale) {
  return !(half & 0x8000u) && HalfToFloat(half) * scale <= 1;
}

void ConvertPixel(const std::uint16_t* rgb, float scale, std::uint8_t* bgr) {
  if (IsSdr(rgb[0], scale) && IsSdr(rgb[1], scale) && IsSdr(rgb[2], scale)) {
    for (int i = 0; i < 3; ++i) bgr[i] = SdrCode(HalfToFloat(rgb[2 - i]) * scale);
  } else {
    ConvertBright(HalfToFloat(rgb[0]), HalfToFloat(rgb[1]), HalfToFloat(rgb[2]), scale, bgr);
  }
}

std::uint16_t HalfOf(float value) {
  const auto bits = std::bit_cast<std::uint32_t>(value);
  const auto sign = static_cast<std::uint16_t>((bits >> 16) & 0x8000u);
  const std::uint32_t rest = bits & 0x7fffffffu;
  if (rest > 0x7f800000u) return sign | 0x7e00u;   // NaN
  if (rest >= 0x477ff000u) return sign | 0x7c00u;  // beyond the largest half: infinity
  if (rest < 0x38800000u) {                        // below 2^-14: whole units of 2^-24
    const float units = std::bit_cast<float>(rest) * 0x1p24f;
    auto whole = static_cast<std::uint16_t>(units);
    const float left = units - whole;
    if (left > 0.5f || (left == 0.5f && (whole & 1))) ++whole;
    return sign | whole;
  }
  return sign |
         static_cast<std::uint16_t>(((rest + 0xfffu + ((rest >> 13) & 1u)) >> 13) - (112u << 10));
}

Conversion::Conversion(float scale) : scale(scale) {
  while (largestSdr < 0x7bff && IsSdr(largestSdr + 1, scale)) ++largestSdr;
  codes.resize(largestSdr + 4u);
  for (unsigned half = 0; half <= largestSdr; ++half) {
    codes[half] = SdrCode(HalfToFloat(static_cast<std::uint16_t>(half)) * scale);
  }
}

void ConvertRowPortably(const Conversion& conversion, const std::uint8_t* halves, int width,
                        std::uint8_t* bgr) {
  for (int x = 0; x < width; ++x, halves += 8, bgr += 3) {
    std::uint16_t rgb[3];
    std::memcpy(rgb, halves, sizeof rgb);
    if (rgb[0] <= conversion.largestSdr && rgb[1] <= conversion.largestSdr &&
        rgb[2] <= conversion.largestSdr) {
      bgr[0] = conversion.codes[rgb[2]];
      bgr[1] = conversion.codes[rgb[1]];
      bgr[2] = conversion.codes[rgb[0]];
    } else {
      ConvertBright(HalfToFloat(rgb[0]), HalfToFloat(rgb[1]), HalfToFloat(rgb[2]), conversion.scale,
                    bgr);
    }
  }
}

#if defined(__SSE2__)

namespace {

#define ORV_AVX2 __attribute__((target("avx2,f16c")))

// Curve for eight values in 0..1.
ORV_AVX2 inline __m256 CurveEight(__m256 x) {
  const __m256i bits = _mm256_castps_si256(x);
  const __m256 m = _mm256_castsi256_ps(_mm256_or_si256(
      _mm256_and_si256(bits, _mm256_set1_epi32(0x007fffff)), _mm256_set1_epi32(0x3f800000)));
  __m256 root = _mm256_add_ps(_mm256_mul_ps(_mm256_set1_ps(kRoot[4]), m), _mm256_set1_ps(kRoot[3]));
  root = _mm256_add_ps(_mm256_mul_ps(root, m), _mm256_set1_ps(kRoot[2]));
  root = _mm256_add_ps(_mm256_mul_ps(root, m), _mm256_set1_ps(kRoot[1]));
  root = _mm256_add_ps(_mm256_mul_ps(root, m), _mm256_set1_ps(kRoot[0]));
  // kOctave[e + 9]: of the first eight, or of the last eight where e + 9 >= 8.
  const __m256i index = _mm256_sub_epi32(_mm256_srli_epi32(bits, 23), _mm256_set1_epi32(127 - 9));
  const __m256 low = _mm256_permutevar8x32_ps(_mm256_loadu_ps(kOctave), index);
  const __m256 high = _mm256_permutevar8x32_ps(_mm256_loadu_ps(kOctave + 2),
                                               _mm256_sub_epi32(index, _mm256_set1_epi32(2)));
  const __m256 octave = _mm256_blendv_ps(
      low, high, _mm256_castsi256_ps(_mm256_cmpgt_epi32(index, _mm256_set1_epi32(7))));
  const __m256 power = _mm256_mul_ps(root, octave);
  const __m256 curved =
      _mm256_sub_ps(_mm256_mul_ps(_mm256_set1_ps(1.055f), power), _mm256_set1_ps(0.055f));
  const __m256 linear = _mm256_mul_ps(_mm256_set1_ps(12.92f), x);
  const __m256 atStart = _mm256_cmp_ps(x, _mm256_set1_ps(kLinearEnd), _CMP_LE_OQ);
  return _mm256_mul_ps(_mm256_set1_ps(255.0f), _mm256_blendv_ps(curved, linear, atStart));
}

// Eight channels after the steps of ConvertBright before them, as codes.
ORV_AVX2 inline __m256i Code(__m256 c, __m256 inverse, __m256 towardsWhite) {
  const __m256 x = _mm256_min_ps(_mm256_max_ps(_mm256_mul_ps(c, inverse), _mm256_setzero_ps()),
                                 _mm256_set1_ps(1.0f));
  const __m256 code = CurveEight(x);
  const __m256 mixed =
      _mm256_add_ps(code, _mm256_mul_ps(towardsWhite, _mm256_sub_ps(_mm256_set1_ps(255.0f), code)));
  return _mm256_cvttps_epi32(_mm256_add_ps(mixed, _mm256_set1_ps(0.5f)));
}

ORV_AVX2 inline __m256 Select(__m256 mask, __m256 yes, __m256 no) {
  return _mm256_blendv_ps(no, yes, mask);
}

// A channel moved towards the grey y by t where `outside`, black where y is not positive there.
ORV_AVX2 inline __m256 IntoGamut(__m256 c, __m256 y, __m256 t, __m256 outside, __m256 visible) {
  const __m256 moved = _mm256_add_ps(y, _mm256_mul_ps(t, _mm256_sub_ps(c, y)));
  return Select(outside, Select(visible, moved, _mm256_setzero_ps()), c);
}

// NaN as 0, infinities as the largest half floats: Scaled before its scaling.
ORV_AVX2 inline __m256 Finite(__m256 c) {
  const __m256 number = _mm256_and_ps(c, _mm256_cmp_ps(c, c, _CMP_ORD_Q));
  return _mm256_min_ps(_mm256_max_ps(number, _mm256_set1_ps(-kLargestHalf)),
                       _mm256_set1_ps(kLargestHalf));
}

ORV_AVX2 inline __m256 Even(__m256 a, __m256 b) {
  return _mm256_castpd_ps(_mm256_unpacklo_pd(_mm256_castps_pd(a), _mm256_castps_pd(b)));
}
ORV_AVX2 inline __m256 Odd(__m256 a, __m256 b) {
  return _mm256_castpd_ps(_mm256_unpackhi_pd(_mm256_castps_pd(a), _mm256_castps_pd(b)));
}

// Eight pixels by ConvertBright's operations in the same order, as blue | green << 8 | red << 16,
// in the order 0 1 4 5 2 3 6 7. Steps that change no pixel of the block are skipped.
ORV_AVX2 inline __m256i ConvertEight(__m256i p0123, __m256i p4567, float scale) {
  const __m256 zero = _mm256_setzero_ps(), one = _mm256_set1_ps(1.0f);
  // Pixels 0 | 2, 1 | 3, 4 | 6 and 5 | 7 in the two halves of four vectors, transposed within
  // each half.
  const __m256i p0213 = _mm256_permute4x64_epi64(p0123, 0xd8);
  const __m256i p4657 = _mm256_permute4x64_epi64(p4567, 0xd8);
  const __m256 p02 = _mm256_cvtph_ps(_mm256_castsi256_si128(p0213));
  const __m256 p13 = _mm256_cvtph_ps(_mm256_extracti128_si256(p0213, 1));
  const __m256 p46 = _mm256_cvtph_ps(_mm256_castsi256_si128(p4657));
  const __m256 p57 = _mm256_cvtph_ps(_mm256_extracti128_si256(p4657, 1));
  const __m256 rg0 = _mm256_unpacklo_ps(p02, p13), ba0 = _mm256_unpackhi_ps(p02, p13);
  const __m256 rg1 = _mm256_unpacklo_ps(p46, p57), ba1 = _mm256_unpackhi_ps(p46, p57);
  __m256 r = Even(rg0, rg1), g = Odd(rg0, rg1), b = Even(ba0, ba1);
  // NaN and infinity (all exponent bits set) need Scaled's clamping; finite values pass it as
  // they are.
  const __m256i exponents = _mm256_set1_epi16(0x7c00);
  const __m256i special =
      _mm256_or_si256(_mm256_cmpeq_epi16(_mm256_and_si256(p0123, exponents), exponents),
                      _mm256_cmpeq_epi16(_mm256_and_si256(p4567, exponents), exponents));
  if (_mm256_movemask_epi8(special) != 0) {
    r = Finite(r);
    g = Finite(g);
    b = Finite(b);
  }
  const __m256 scales = _mm256_set1_ps(scale);
  r = _mm256_mul_ps(r, scales);
  g = _mm256_mul_ps(g, scales);
  b = _mm256_mul_ps(b, scales);

  const __m256 lowest = _mm256_min_ps(_mm256_min_ps(r, g), b);
  const __m256 outside = _mm256_cmp_ps(lowest, zero, _CMP_LT_OQ);
  if (_mm256_movemask_ps(outside) != 0) {
    const __m256 y = _mm256_add_ps(_mm256_add_ps(_mm256_mul_ps(_mm256_set1_ps(kRed), r),
                                                 _mm256_mul_ps(_mm256_set1_ps(kGreen), g)),
                                   _mm256_mul_ps(_mm256_set1_ps(kBlue), b));
    const __m256 t = _mm256_div_ps(y, _mm256_sub_ps(y, lowest));
    const __m256 visible = _mm256_cmp_ps(y, zero, _CMP_GT_OQ);
    r = IntoGamut(r, y, t, outside, visible);
    g = IntoGamut(g, y, t, outside, visible);
    b = IntoGamut(b, y, t, outside, visible);
  }
  const __m256 top = _mm256_max_ps(_mm256_max_ps(_mm256_max_ps(r, g), b), one);
  const __m256 inverse = _mm256_div_ps(one, top);
  const __m256 over = _mm256_sub_ps(top, one);
  const __m256 towardsWhite = _mm256_div_ps(over, _mm256_add_ps(over, _mm256_set1_ps(kRollOff)));
  const __m256i blue = Code(b, inverse, towardsWhite);
  const __m256i green = Code(g, inverse, towardsWhite);
  const __m256i red = Code(r, inverse, towardsWhite);
  return _mm256_or_si256(blue,
                         _mm256_or_si256(_mm256_slli_epi32(green, 8), _mm256_slli_epi32(red, 16)));
}

// The SDR codes of eight half floats, read as four bytes each with the low byte kept. Halves
// beyond the table (of pixels that are not SDR content, in a block that has some) read its last
// code instead, to be replaced.
ORV_AVX2 inline __m256i Lookup(const Conversion& conversion, __m128i halves) {
  const __m128i within =
      _mm_min_epu16(halves, _mm_set1_epi16(static_cast<short>(conversion.largestSdr)));
  const __m256i entries = _mm256_i32gather_epi32(
      reinterpret_cast<const int*>(conversion.codes.data()), _mm256_cvtepu16_epi32(within), 1);
  return _mm256_and_si256(entries, _mm256_set1_epi32(0xff));
}

// SDR content by its codes, as ConvertEight gives pixels.
ORV_AVX2 inline __m256i LookUpEight(__m256i p0123, __m256i p4567, const Conversion& conversion) {
  // Within each 128-bit half (two pixels): red 0, red 1, green 0, green 1, blue 0... Then the
  // channels of pixels 0 1 4 5 2 3 6 7: red and green, blue and alpha.
  const __m256i together = _mm256_setr_epi8(0, 1, 8, 9, 2, 3, 10, 11, 4, 5, 12, 13, 6, 7, 14, 15, 0,
                                            1, 8, 9, 2, 3, 10, 11, 4, 5, 12, 13, 6, 7, 14, 15);
  const __m256i a = _mm256_shuffle_epi8(p0123, together);
  const __m256i b = _mm256_shuffle_epi8(p4567, together);
  const __m256i redGreen = _mm256_permute4x64_epi64(_mm256_unpacklo_epi32(a, b), 0xd8);
  const __m256i blueAlpha = _mm256_permute4x64_epi64(_mm256_unpackhi_epi32(a, b), 0xd8);
  return _mm256_or_si256(
      Lookup(conversion, _mm256_castsi256_si128(blueAlpha)),
      _mm256_or_si256(
          _mm256_slli_epi32(Lookup(conversion, _mm256_extracti128_si256(redGreen, 1)), 8),
          _mm256_slli_epi32(Lookup(conversion, _mm256_castsi256_si128(redGreen)), 16)));
}

// Eight pixels in order, as blue | green << 8 | red << 16: SDR content by its codes, any other
// pixel by ConvertEight.
ORV_AVX2 inline __m256i Pixels(__m256i p0123, __m256i p4567, const Conversion& conversion) {
  // Red, green, blue at most largestSdr (as unsigned numbers: no sign bit); alpha anything.
  const __m256i limit =
      _mm256_or_si256(_mm256_set1_epi16(static_cast<short>(conversion.largestSdr)),
                      _mm256_set1_epi64x(static_cast<long long>(0xffff000000000000ull)));
  const __m256i ones = _mm256_set1_epi32(-1);
  const __m256i sdr0123 =
      _mm256_cmpeq_epi64(_mm256_cmpeq_epi16(_mm256_max_epu16(p0123, limit), limit), ones);
  const __m256i sdr4567 =
      _mm256_cmpeq_epi64(_mm256_cmpeq_epi16(_mm256_max_epu16(p4567, limit), limit), ones);
  const __m256i sdr = _mm256_castps_si256(_mm256_shuffle_ps(
      _mm256_castsi256_ps(sdr0123), _mm256_castsi256_ps(sdr4567), _MM_SHUFFLE(2, 0, 2, 0)));
  const int sdrPixels = _mm256_movemask_ps(_mm256_castsi256_ps(sdr));
  __m256i pixels;
  if (sdrPixels == 0xff) {
    pixels = LookUpEight(p0123, p4567, conversion);
  } else {
    pixels = ConvertEight(p0123, p4567, conversion.scale);
    if (sdrPixels != 0) {
      pixels = _mm256_blendv_epi8(pixels, LookUpEight(p0123, p4567, conversion), sdr);
    }
  }
  return _mm256_permutevar8x32_epi32(pixels, _mm256_setr_epi32(0, 1, 4, 5, 2, 3, 6, 7));
}

}  // namespace

// Eight pixels at a time, packed into 24 bytes and written as two 16-byte stores whose last four
// bytes land on the next pixels: the loop stops where those would leave the row. A block of the
// same pixels as the one before it, as in most of a desktop's flat areas, gets the same bytes.
ORV_AVX2 void ConvertRowWithAvx2(const Conversion& conversion, const std::uint8_t* halves,
                                 int width, std::uint8_t* bgr) {
  const __m256i pack = _mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1, 0,
                                        1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
  __m256i last0123 = _mm256_setzero_si256(), last4567 = last0123, lastPacked = last0123;
  bool haveLast = false;
  int x = 0;
  for (; x + 10 <= width; x += 8, halves += 64, bgr += 24) {
    const auto* in = reinterpret_cast<const __m256i*>(halves);
    const __m256i p0123 = _mm256_loadu_si256(in), p4567 = _mm256_loadu_si256(in + 1);
    const __m256i same =
        _mm256_and_si256(_mm256_cmpeq_epi8(p0123, last0123), _mm256_cmpeq_epi8(p4567, last4567));
    if (!haveLast || _mm256_movemask_epi8(same) != -1) {
      lastPacked = _mm256_shuffle_epi8(Pixels(p0123, p4567, conversion), pack);
      last0123 = p0123;
      last4567 = p4567;
      haveLast = true;
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(bgr), _mm256_castsi256_si128(lastPacked));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(bgr + 12), _mm256_extracti128_si256(lastPacked, 1));
  }
  ConvertRowPortably(conversion, halves, width - x, bgr);
}

#undef ORV_AVX2

#endif

}  // namespace orv::scrgb_kernels
