// The 256-colour table of a GIF export, built from the picture itself: all pixel values and one
// extra black in ascending order, 256 of them taken at evenly spaced ranks, runs of a repeated
// colour skipped and the remaining picks spread again over what is left.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "imaging/image.h"

namespace orv {

// Entries are 0x00RRGGBB, which is also the byte order of a DIB colour table.
using Palette = std::array<std::uint32_t, 256>;

// The adaptive palette of a 24-bit image; entry 0 is always black. An empty image gives an
// all-black palette. Empty when the view is not 24-bit or the working memory (at most two
// bytes a pixel) could not be had.
std::optional<Palette> BuildAdaptivePalette(const ImageView& src);

}  // namespace orv
