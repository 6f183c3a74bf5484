#include "imaging/pixel_ranks.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "imaging/pixel_runs.h"

namespace orv {

namespace {

constexpr std::uint32_t kNoColour = 0xffffffffu;

// Calls visit(0x00RRGGBB) for every pixel of the rows [y0, y1) of a 24-bit view. Each pixel is
// one four-byte read; only the last pixel of a row, whose fourth byte may lie outside the view,
// is read byte by byte.
template <typename Visit>
void ForEachPixel(const ImageView& src, int y0, int y1, Visit visit) {
  const int width = src.width;
  for (int y = y0; y < y1; ++y) {
    const std::uint8_t* p = src.Row(y);
    for (int x = 0; x + 1 < width; ++x, p += 3) {
      std::uint32_t word;
      std::memcpy(&word, p, 4);
      visit(word & 0xffffff);  // little-endian: blue, green, red
    }
    if (width > 0) visit((std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | p[0]);
  }
}

// Open addressing with linear probing; the table doubles when half full.
class ColourCounter {
 public:
  ColourCounter() : keys_(kFirstSize, kNoColour), counts_(kFirstSize, 0) {}

  std::size_t distinct() const { return distinct_; }

  void Add(std::uint32_t colour, std::size_t count) {
    std::size_t slot = SlotOf(colour);
    while (keys_[slot] != colour) {
      if (keys_[slot] == kNoColour) {
        if (2 * (distinct_ + 1) > keys_.size()) {
          Grow();
          slot = SlotOf(colour);
          continue;
        }
        keys_[slot] = colour;
        ++distinct_;
        break;
      }
      slot = (slot + 1) & (keys_.size() - 1);
    }
    counts_[slot] += count;
  }

  template <typename Visit>
  void ForEach(Visit visit) const {
    for (std::size_t slot = 0; slot < keys_.size(); ++slot) {
      if (keys_[slot] != kNoColour) visit(keys_[slot], counts_[slot]);
    }
  }

 private:
  static constexpr std::size_t kFirstSize = 1024;

  std::size_t SlotOf(std::uint32_t colour) const {
    return ((colour * 0x9e3779b1u) >> 8) & (keys_.size() - 1);
  }

  void Grow() {
    ColourCounter bigger;
    bigger.keys_.assign(2 * keys_.size(), kNoColour);
    bigger.counts_.assign(2 * keys_.size(), 0);
    ForEach([&](std::uint32_t colour, std::size_t count) { bigger.Add(colour, count); });
    *this = std::move(bigger);
  }

  std::vector<std::uint32_t> keys_;
  std::vector<std::size_t> counts_;
  std::size_t distinct_ = 0;
};

}  // namespace

bool DistinctColourRanks::Count(const ImageView& src, std::size_t maxDistinct) {
  ColourCounter counter;
  counter.Add(0, 1);  // the extra black of the list
  // Runs of equal pixels, as along the flat parts of a screenshot, cost one table update.
  for (int y = 0; y < src.height; ++y) {
    ScanRow(
        src.Row(y), src.width,
        [&](int, int length, std::uint32_t rgb) {
          counter.Add(rgb, static_cast<std::size_t>(length));
        },
        [&](int, std::uint32_t rgb) { counter.Add(rgb, 1); });
    if (counter.distinct() > maxDistinct) return false;
  }

  std::vector<std::pair<std::uint32_t, std::size_t>> counts;
  counts.reserve(counter.distinct());
  counter.ForEach([&](std::uint32_t c, std::size_t n) { counts.emplace_back(c, n); });
  std::sort(counts.begin(), counts.end());
  values_.clear();
  ends_.clear();
  std::size_t end = 0;
  for (const auto& [value, count] : counts) {
    values_.push_back(value);
    ends_.push_back(end += count);
  }
  return true;
}

std::size_t DistinctColourRanks::Find(std::size_t rank) const {
  return static_cast<std::size_t>(std::upper_bound(ends_.begin(), ends_.end(), rank) -
                                  ends_.begin());
}

GroupedPixelRanks::GroupedPixelRanks(const ImageView& src)
    : size_(static_cast<std::size_t>(src.width) * static_cast<std::size_t>(src.height) + 1),
      groupStart_(kGroups + 1, 0),
      lows_(std::make_unique_for_overwrite<std::uint16_t[]>(size_)),
      lowStart_(kGroups + 1, 0) {
  // Both passes carry the current group in a register while it repeats; a counter bumped pixel
  // by pixel in memory would wait for its own previous store every time.
  std::vector<std::size_t>& count = groupStart_;  // counts first, then turned into starts
  std::size_t group = 0, run = 1;                 // the extra black of the list
  ForEachPixel(src, 0, src.height, [&](std::uint32_t rgb) {
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
  ForEachPixel(src, 0, src.height, [&](std::uint32_t rgb) {
    if (rgb >> 12 != group) {
      fill[group] = at;
      group = rgb >> 12;
      at = fill[group];
    }
    lows_[at++] = static_cast<std::uint16_t>(rgb & 0xfff);
  });
}

std::uint32_t GroupedPixelRanks::ValueAt(std::size_t rank) {
  const Found found = Find(rank);
  return (static_cast<std::uint32_t>(found.group) << 12) | found.low;
}

std::size_t GroupedPixelRanks::RunEnd(std::size_t rank) {
  const Found found = Find(rank);
  return groupStart_[found.group] + lowStart_[found.low + 1];
}

GroupedPixelRanks::Found GroupedPixelRanks::Find(std::size_t rank) {
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

// Counts the low bits of one group, carrying each value in a register while it repeats.
void GroupedPixelRanks::Open(std::size_t group) {
  if (group == openGroup_) return;
  std::fill(lowStart_.begin(), lowStart_.end(), 0);
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

}  // namespace orv
