#include "imaging/adaptive_palette.h"

#include <algorithm>
#include <cstddef>
#include <new>

#include "imaging/pixel_ranks.h"

namespace orv {

namespace {

// Above this many distinct colours the hash table would outgrow the grouped count's memory
// and speed; photos pass it within their first rows.
constexpr std::size_t kMaxDistinctColours = std::size_t{1} << 16;

template <typename Ranks>
Palette PickEntries(Ranks& list) {
  Palette palette{};
  const std::size_t n = list.size() - 1;  // the highest rank
  std::size_t step = n / 256;
  std::size_t i = 0;
  std::int64_t last = -1;
  for (std::size_t k = 0; k < 256; ++k) {
    std::uint32_t value = list.ValueAt(i);
    if (value != last) {
      i += step;
    } else {
      // Skip the run of the colour just taken, then spread the remaining picks evenly over
      // what is left. A step of 0 steps back onto the last value taken, which repeats it until
      // the free entries are no more than the remaining values.
      i = std::min(list.RunEnd(i), n);
      step = (n - i) / (256 - k);
      i = i + step - 1;
      value = list.ValueAt(i);
    }
    palette[k] = value;
    last = value;
  }
  return palette;
}

}  // namespace

std::optional<Palette> BuildAdaptivePalette(const ImageView& src) {
  if (src.bitsPerPixel != 24 || src.width < 0 || src.height < 0) return std::nullopt;
  // With no pixels the list is the one black; the picks would step in front of it.
  if (src.width == 0 || src.height == 0) return Palette{};
  try {
    DistinctColourRanks few;
    if (few.Count(src, kMaxDistinctColours)) return PickEntries(few);
    GroupedPixelRanks any(src);
    return PickEntries(any);
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
}

}  // namespace orv
