// Mapping 24-bit pixels to the nearest colour of a 256-entry table: the smallest squared
// distance in red, green and blue, the lowest index on ties. No dithering.
#pragma once

#include <cstdint>
#include <vector>

#include "imaging/adaptive_palette.h"
#include "imaging/image.h"

namespace orv {

// Answers nearest-colour questions for one palette. Screenshots hold few distinct colours, so
// answers are remembered per colour. Behind that an exact search looks only at the entries that
// can be nearest anywhere in the colour's cell of the RGB cube; the cells' lists are made when
// first needed, the small cells' lists from those of the large cells around them.
class NearestColourFinder {
 public:
  explicit NearestColourFinder(const Palette& palette);

  // Index of the entry nearest to `rgb` (0x00RRGGBB). May throw std::bad_alloc.
  std::uint8_t Find(std::uint32_t rgb) {
    rgb &= 0xffffff;
    const std::uint32_t slot = (rgb * 0x9e3779b1u) >> (32 - kMemoBits);
    if (memoColour_[slot] != rgb) {
      memoIndex_[slot] = Search(rgb);
      memoColour_[slot] = rgb;
    }
    return memoIndex_[slot];
  }

 private:
  static constexpr std::uint32_t kMemoBits = 12;
  struct Entry {
    std::int16_t red, green, blue;
    std::uint8_t index;
  };
  struct Cells {
    explicit Cells(std::uint32_t bits);
    std::uint32_t bits;
    std::vector<std::uint32_t> first;  // per cell: first candidate + 1, 0 while not yet known
    std::vector<std::uint16_t> count;
    std::vector<Entry> candidates;
  };
  std::uint8_t Search(std::uint32_t rgb);
  static std::uint32_t Prepare(Cells& cells, std::uint32_t rgb, const Entry* from,
                               std::size_t fromCount, std::size_t groupOf);

  std::vector<Entry> entries_;  // the first entry of each distinct colour, by index
  Cells large_;
  Cells small_;
  std::vector<std::uint32_t> memoColour_;  // direct-mapped memo; a non-colour marks a free slot
  std::vector<std::uint8_t> memoIndex_;
};

// Writes into the 8-bit `dst` (same size as the 24-bit `src`) the index of each pixel's
// nearest palette colour; the colour table of `dst` is left alone. Returns false, writing
// nothing, when the views do not fit, and false (with `dst` partly written) when memory ran out.
bool MapToPalette(const ImageView& src, const Palette& palette, MutableImageView dst);

}  // namespace orv
