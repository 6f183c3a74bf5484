// DibImage: an image held in a DIB section (24 bits per pixel; 32 for the overlay's picture; or 8
// bits with a colour table), created black. It owns its HBITMAP and hands the pixels to the
// portable code as a view.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <span>
#include <utility>

#include "base/geometry.h"
#include "imaging/image.h"
#include "win/unique_handle.h"

namespace orv::win {

class DibImage {
 public:
  DibImage() = default;
  // A moved image leaves an empty one behind, with no pixels to view.
  DibImage(DibImage&& other) noexcept { *this = std::move(other); }
  DibImage& operator=(DibImage&& other) noexcept;
  // An empty (false) image when the section cannot be made, e.g. for a non-positive size.
  static DibImage Create(int width, int height, int bitsPerPixel = 24);

  explicit operator bool() const { return static_cast<bool>(bitmap_); }
  HBITMAP bitmap() const { return bitmap_.get(); }
  int width() const { return width_; }
  int height() const { return height_; }
  int bitsPerPixel() const { return bitsPerPixel_; }
  Size size() const { return {width_, height_}; }

  MutableImageView View();
  ImageView View() const { return const_cast<DibImage*>(this)->View(); }
  // All of the section's pixel memory, rows and their padding, in memory order.
  std::span<std::uint8_t> Memory();

  // Sets the colour table of an 8-bit image (entries 0x00RRGGBB).
  void SetColors(std::span<const std::uint32_t> colors);

  // A copy with its own pixels, or an empty image when memory runs out.
  DibImage Clone() const;

 private:
  UniqueBitmap bitmap_;
  std::uint8_t* bits_ = nullptr;
  int width_ = 0;
  int height_ = 0;
  int bitsPerPixel_ = 24;
  std::array<std::uint32_t, 256> colors_{};
};

}  // namespace orv::win
