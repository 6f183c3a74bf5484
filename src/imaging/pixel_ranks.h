// Ranks in the ascending list of a picture's pixel values (0x00RRGGBB) plus one extra black, as
// the adaptive palette reads them, without sorting the list: the value at a rank, and where the
// run of equal values at a rank ends. Two ways to count, one for pictures with few distinct
// colours and one for any picture; both answer exactly as the sorted list would.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "imaging/image.h"

namespace orv {

// For pictures of few distinct colours, such as most screenshots: one pass counts each colour
// in a hash table, one entry per run of equal pixels, and only the distinct colours are sorted.
class DistinctColourRanks {
 public:
  // Counts the colours of a 24-bit view. False, leaving the object unusable, when the list
  // holds more than `maxDistinct` distinct values (the extra black counts). May throw
  // std::bad_alloc.
  bool Count(const ImageView& src, std::size_t maxDistinct);

  std::size_t size() const { return ends_.empty() ? 0 : ends_.back(); }
  std::uint32_t ValueAt(std::size_t rank) const { return values_[Find(rank)]; }
  // The first rank after the run of equal values that holds `rank` (size() at the end).
  std::size_t RunEnd(std::size_t rank) const { return ends_[Find(rank)]; }

 private:
  std::size_t Find(std::size_t rank) const;

  std::vector<std::uint32_t> values_;  // distinct values, ascending
  std::vector<std::size_t> ends_;      // rank after the last copy of each value
};

// For any picture: the values are grouped by their top twelve bits (red and the high half of
// green) in one counting pass and one scatter pass of the low twelve bits, and only a group
// that a rank falls in gets its low bits counted. Linear in the pixels, two bytes a pixel.
class GroupedPixelRanks {
 public:
  // May throw std::bad_alloc.
  explicit GroupedPixelRanks(const ImageView& src);

  std::size_t size() const { return size_; }
  std::uint32_t ValueAt(std::size_t rank);
  std::size_t RunEnd(std::size_t rank);

 private:
  static constexpr std::size_t kGroups = 4096;
  struct Found {
    std::size_t group;
    std::uint32_t low;
  };
  Found Find(std::size_t rank);
  void Open(std::size_t group);

  std::size_t size_;
  std::vector<std::size_t> groupStart_;    // rank where each group begins, plus the end
  std::unique_ptr<std::uint16_t[]> lows_;  // low twelve bits, grouped, in pixel order
  std::vector<std::size_t> lowStart_;      // rank in the open group of each low value, plus end
  std::size_t openGroup_ = kGroups;
};

}  // namespace orv
