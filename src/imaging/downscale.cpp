#include "imaging/downscale.h"

#include <cstdint>
#include <vector>

namespace orv {
namespace {

// The source span [begin, end) that target cell i of `cells` covers along a side of `length`.
// Every source pixel belongs to exactly one cell when shrinking; when enlarging a cell covers
// the one source pixel under its centre.
struct Span {
  int begin, end;
};
Span SpanOf(int i, int cells, int length) {
  const auto scaled = [&](int k) {
    return static_cast<int>(static_cast<std::int64_t>(k) * length / cells);
  };
  int begin = scaled(i);
  int end = scaled(i + 1);
  if (end <= begin) {  // enlarging: take the pixel under the cell's centre
    begin = static_cast<int>((2 * static_cast<std::int64_t>(i) + 1) * length / (2 * cells));
    end = begin + 1;
  }
  return {begin, end};
}

}  // namespace

bool ScaleByAveraging(const ImageView& src, MutableImageView dst) {
  if (src.bitsPerPixel != 24 || dst.bitsPerPixel != 24 || src.width <= 0 || src.height <= 0 ||
      dst.width <= 0 || dst.height <= 0) {
    return false;
  }
  std::vector<Span> columns(dst.width);
  for (int x = 0; x < dst.width; ++x) columns[x] = SpanOf(x, dst.width, src.width);
  std::vector<std::uint64_t> sums(static_cast<std::size_t>(dst.width) * 3);

  for (int y = 0; y < dst.height; ++y) {
    const Span rows = SpanOf(y, dst.height, src.height);
    std::fill(sums.begin(), sums.end(), 0);
    for (int sy = rows.begin; sy < rows.end; ++sy) {
      const std::uint8_t* in = src.Row(sy);
      std::uint64_t* sum = sums.data();
      for (const Span& c : columns) {
        std::uint32_t b = 0, g = 0, r = 0;
        for (const std::uint8_t* p = in + c.begin * 3; p < in + c.end * 3; p += 3) {
          b += p[0];
          g += p[1];
          r += p[2];
        }
        sum[0] += b;
        sum[1] += g;
        sum[2] += r;
        sum += 3;
      }
    }
    std::uint8_t* out = dst.Row(y);
    const int rowCount = rows.end - rows.begin;
    for (int x = 0; x < dst.width; ++x) {
      // Rounded to the nearest value.
      const std::uint64_t count = static_cast<std::uint64_t>(rowCount) *
                                  static_cast<std::uint64_t>(columns[x].end - columns[x].begin);
      for (int channel = 0; channel < 3; ++channel) {
        out[x * 3 + channel] =
            static_cast<std::uint8_t>((sums[x * 3 + channel] + count / 2) / count);
      }
    }
  }
  return true;
}

}  // namespace orv
