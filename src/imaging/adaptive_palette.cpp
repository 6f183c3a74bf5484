#include "imaging/adaptive_palette.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace orv {

namespace {

// Calls visit(0x00RRGGBB) for every pixel of a 24-bit view, row by row. Each pixel is one
// four-byte read; only the last pixel of a row, whose fourth byte may lie outside the view, is
// read byte by byte.
template <typename Visit>
void ForEachPixel(const ImageView& src, Visit visit) {
  for (int y = 0; y < src.height; ++y) {
    const std::uint8_t* p = src.Row(y);
    for (int x = 0; x + 1 < src.width; ++x, p += 3) {
      std::uint32_t word;
      std::memcpy(&word, p, 4);
      visit(word & 0xffffff);  // little-endian: blue, green, red
    }
    if (src.width > 0) visit((std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | p[0]);
  }
}

// The picks only ever read the sorted list at a few hundred ranks, and learn where a run of one
// value ends. Both can be answered without sorting: the values are grouped by their top twelve
// bits (red and the high half of green) in one counting pass and one scatter pass, and only a
// group that a pick lands in gets its low twelve bits counted. That is linear in the pixels,
// needs two bytes a pixel, and gives the same answers as sorting the full list.
//
// Every counting loop carries the current value in a register while it repeats, as it does
// along the flat parts of a screenshot; a counter bumped pixel by pixel in memory would wait
// for its own previous store every time.
class SortedPixelRanks {
 public:
  explicit SortedPixelRanks(const ImageView& src)
      : size_(static_cast<std::size_t>(src.width) * static_cast<std::size_t>(src.height) + 1),
        groupStart_(kGroups + 1, 0),
        lows_(std::make_unique_for_overwrite<std::uint16_t[]>(size_)) {
    std::vector<std::size_t>& count = groupStart_;  // counts first, then turned into starts
    std::size_t group = 0, run = 1;                 // the extra black of the list
    ForEachPixel(src, [&](std::uint32_t rgb) {
      if (rgb >> 12 != group) {
        count[group + 1] += run;
        group = rgb >> 12;
        run = 0;
      }
      ++run;
    });
    count[group + 1] += run;
    for (std::size_t g = 1; g <= kGroups; ++g) count[g] += count[g - 1];

    std::vector<std::size_t> fill(groupStart_.begin(), groupStart_.end() - 1);
    group = 0;
    std::size_t at = fill[0];
    lows_[at++] = 0;
    ForEachPixel(src, [&](std::uint32_t rgb) {
      if (rgb >> 12 != group) {
        fill[group] = at;
        group = rgb >> 12;
        at = fill[group];
      }
      lows_[at++] = static_cast<std::uint16_t>(rgb & 0xfff);
    });
  }

  std::size_t size() const { return size_; }

  // list[rank] of the ascending list.
  std::uint32_t ValueAt(std::size_t rank) {
    const Found found = Find(rank);
    return (static_cast<std::uint32_t>(found.group) << 12) | found.low;
  }

  // The first rank after the run of equal values that holds `rank` (size() at the end).
  std::size_t RunEnd(std::size_t rank) {
    const Found found = Find(rank);
    return groupStart_[found.group] + lowStart_[found.low + 1];
  }

 private:
  static constexpr std::size_t kGroups = 4096;
  struct Found {
    std::size_t group;
    std::uint32_t low;
  };

  Found Find(std::size_t rank) {
    // The last group starting at or before `rank`; groups that start there but are empty come
    // before it.
    const auto group = static_cast<std::size_t>(
        std::upper_bound(groupStart_.begin(), groupStart_.end(), rank) - groupStart_.begin() - 1);
    Open(group);
    const std::size_t inGroup = rank - groupStart_[group];
    const auto low = static_cast<std::uint32_t>(
        std::upper_bound(lowStart_.begin(), lowStart_.end(), inGroup) - lowStart_.begin() - 1);
    return {group, low};
  }

  void Open(std::size_t group) {
    if (group == openGroup_) return;
    lowStart_.fill(0);
    const std::uint16_t* low = lows_.get() + groupStart_[group];
    const std::uint16_t* const end = lows_.get() + groupStart_[group + 1];
    while (low != end) {
      const std::uint16_t value = *low;
      const std::uint16_t* const runStart = low;
      while (++low != end && *low == value) {
      }
      lowStart_[value + 1] += static_cast<std::size_t>(low - runStart);
    }
    for (std::size_t v = 1; v <= kGroups; ++v) lowStart_[v] += lowStart_[v - 1];
    openGroup_ = group;
  }

  std::size_t size_;
  std::vector<std::size_t> groupStart_;              // rank where each group begins, plus the end
  std::unique_ptr<std::uint16_t[]> lows_;            // low twelve bits, grouped, in pixel order
  std::array<std::size_t, kGroups + 1> lowStart_{};  // rank in the open group of each low value
  std::size_t openGroup_ = kGroups;
};

}  // namespace

std::optional<Palette> BuildAdaptivePalette(const ImageView& src) {
  if (src.bitsPerPixel != 24 || src.width < 0 || src.height < 0) return std::nullopt;
  Palette palette{};
  // With no pixels the list is the one black; the picks below would step in front of it.
  if (src.width == 0 || src.height == 0) return palette;
  try {
    SortedPixelRanks list(src);
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
        // what is left. A step of 0 steps back onto the last value taken, which repeats it
        // until the free entries are no more than the remaining values.
        i = std::min(list.RunEnd(i), n);
        step = (n - i) / (256 - k);
        i = i + step - 1;
        value = list.ValueAt(i);
      }
      palette[k] = value;
      last = value;
    }
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
  return palette;
}

}  // namespace orv
