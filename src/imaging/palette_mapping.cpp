#include "imaging/palette_mapping.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "imaging/pixel_runs.h"

namespace orv {

namespace {

// Lists are made for cells of 16 x 16 x 16 colours from the whole palette, and for cells of
// 8 x 8 x 8 colours from the list of the large cell that holds them. A search then compares a
// colour with about three entries of a typical 256-colour palette.
constexpr std::uint32_t kLargeCellBits = 4;
constexpr std::uint32_t kSmallCellBits = 5;
constexpr std::uint32_t kNoColour = 0xffffffffu;

int Red(std::uint32_t rgb) {
  return static_cast<int>((rgb >> 16) & 0xff);
}
int Green(std::uint32_t rgb) {
  return static_cast<int>((rgb >> 8) & 0xff);
}
int Blue(std::uint32_t rgb) {
  return static_cast<int>(rgb & 0xff);
}

std::uint32_t CellOf(std::uint32_t rgb, std::uint32_t bits) {
  const std::uint32_t shift = 8 - bits;
  return ((static_cast<std::uint32_t>(Red(rgb)) >> shift) << (2 * bits)) |
         ((static_cast<std::uint32_t>(Green(rgb)) >> shift) << bits) |
         (static_cast<std::uint32_t>(Blue(rgb)) >> shift);
}

// Squared distance from `c` to the nearest and to the farthest value of [low, high].
int NearSquared(int c, int low, int high) {
  const int d = c < low ? low - c : (c > high ? c - high : 0);
  return d * d;
}
int FarSquared(int c, int low, int high) {
  const int d = std::max(c - low, high - c);
  return d * d;
}

}  // namespace

NearestColourFinder::Cells::Cells(std::uint32_t cellBits)
    : bits(cellBits), first(std::size_t{1} << (3 * cellBits), 0), count(first.size(), 0) {}

NearestColourFinder::NearestColourFinder(const Palette& palette)
    : large_(kLargeCellBits),
      small_(kSmallCellBits),
      memoColour_(std::size_t{1} << kMemoBits, kNoColour),
      memoIndex_(std::size_t{1} << kMemoBits, 0) {
  // A later entry repeating an earlier colour can never win a tie, so it is left out.
  for (int index = 0; index < 256; ++index) {
    const std::uint32_t rgb = palette[index];
    const auto same = [&](const Entry& e) {
      return e.red == Red(rgb) && e.green == Green(rgb) && e.blue == Blue(rgb);
    };
    if (std::none_of(entries_.begin(), entries_.end(), same)) {
      entries_.push_back({static_cast<std::int16_t>(Red(rgb)),
                          static_cast<std::int16_t>(Green(rgb)),
                          static_cast<std::int16_t>(Blue(rgb)), static_cast<std::uint8_t>(index)});
    }
  }
}

std::uint8_t NearestColourFinder::Search(std::uint32_t rgb) {
  const std::uint32_t cell = CellOf(rgb, small_.bits);
  std::uint32_t first = small_.first[cell];
  if (first == 0) {
    const std::uint32_t largeCell = CellOf(rgb, large_.bits);
    std::uint32_t largeFirst = large_.first[largeCell];
    if (largeFirst == 0) largeFirst = Prepare(large_, rgb, entries_.data(), entries_.size(), 1);
    first =
        Prepare(small_, rgb, large_.candidates.data() + largeFirst - 1, large_.count[largeCell], 4);
  }
  const Entry* candidate = small_.candidates.data() + first - 1;
  const Entry* const end = candidate + small_.count[cell];
  const int r = Red(rgb), g = Green(rgb), b = Blue(rgb);
  int best = 1 << 30;
  std::uint8_t bestIndex = 0;
  // Candidates are in index order, so keeping the first of equal distances keeps the lowest
  // index. Lists come in whole groups of four, so the loop rarely runs more than once and
  // its end is predictable.
  for (; candidate != end; candidate += 4) {
    for (int k = 0; k < 4; ++k) {
      const Entry& e = candidate[k];
      const int dr = e.red - r, dg = e.green - g, db = e.blue - b;
      const int d = dr * dr + dg * dg + db * db;
      const bool nearer = d < best;
      best = nearer ? d : best;
      bestIndex = nearer ? e.index : bestIndex;
    }
  }
  return bestIndex;
}

// Lists, in index order, the entries of `from` that can be nearest for some colour of the cell
// holding `rgb`: those whose nearest possible distance to the cell is within the farthest
// possible distance of the best-placed entry. Entries at a tie pass that test too. The list is
// filled up to a multiple of `groupOf` entries. Returns the cell's first candidate + 1.
std::uint32_t NearestColourFinder::Prepare(Cells& cells, std::uint32_t rgb, const Entry* from,
                                           std::size_t fromCount, std::size_t groupOf) {
  const int mask = ~((1 << (8 - cells.bits)) - 1);
  const int r0 = Red(rgb) & mask, g0 = Green(rgb) & mask, b0 = Blue(rgb) & mask;
  const int side = 1 << (8 - cells.bits);
  const int r1 = r0 + side - 1, g1 = g0 + side - 1, b1 = b0 + side - 1;
  int bound = 1 << 30;
  for (std::size_t i = 0; i < fromCount; ++i) {
    const Entry& e = from[i];
    bound = std::min(bound, FarSquared(e.red, r0, r1) + FarSquared(e.green, g0, g1) +
                                FarSquared(e.blue, b0, b1));
  }
  const auto first = static_cast<std::uint32_t>(cells.candidates.size()) + 1;
  for (std::size_t i = 0; i < fromCount; ++i) {
    const Entry& e = from[i];
    if (NearSquared(e.red, r0, r1) + NearSquared(e.green, g0, g1) + NearSquared(e.blue, b0, b1) <=
        bound) {
      cells.candidates.push_back(e);
    }
  }
  // A copy of the last candidate changes no answer.
  while ((cells.candidates.size() + 1 - first) % groupOf != 0) {
    cells.candidates.push_back(cells.candidates.back());
  }
  const std::uint32_t cell = CellOf(rgb, cells.bits);
  cells.count[cell] = static_cast<std::uint16_t>(cells.candidates.size() + 1 - first);
  cells.first[cell] = first;
  return first;
}

bool MapToPalette(const ImageView& src, const Palette& palette, MutableImageView dst) {
  if (src.bitsPerPixel != 24 || dst.bitsPerPixel != 8 || src.width != dst.width ||
      src.height != dst.height) {
    return false;
  }
  try {
    NearestColourFinder finder(palette);
    for (int y = 0; y < src.height; ++y) {
      std::uint8_t* const out = dst.Row(y);
      ScanRow(
          src.Row(y), src.width,
          [&](int x, int length, std::uint32_t rgb) {
            std::memset(out + x, finder.Find(rgb), static_cast<std::size_t>(length));
          },
          [&](int x, std::uint32_t rgb) { out[x] = finder.Find(rgb); });
    }
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

}  // namespace orv
