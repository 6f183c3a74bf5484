// Image views: the one way the imaging code sees pixels. A view does not own its pixels; on
// Windows they belong to a DIB section, in tests to an Image.
//
// Rows are addressed top-down through a signed stride, so the bottom-up rows of a DIB section
// (stride negative, `top` pointing at the last row in memory) and top-down buffers read alike.
// 24-bit pixels are stored blue, green, red; 8-bit pixels index a 256-entry colour table whose
// entries are 0x00RRGGBB (bytes blue, green, red, 0 in memory).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace orv {

// Bytes per row of a DIB: padded to a multiple of four.
constexpr std::ptrdiff_t DibStride(int width, int bitsPerPixel) {
  return ((static_cast<std::ptrdiff_t>(width) * bitsPerPixel + 31) / 32) * 4;
}

struct ImageView {
  int width = 0;
  int height = 0;
  int bitsPerPixel = 24;  // 24, or 8 with a colour table
  std::ptrdiff_t stride = 0;
  const std::uint8_t* top = nullptr;  // first byte of the top row
  const std::uint32_t* colors = nullptr;

  const std::uint8_t* Row(int y) const { return top + y * stride; }
};

struct MutableImageView {
  int width = 0;
  int height = 0;
  int bitsPerPixel = 24;
  std::ptrdiff_t stride = 0;
  std::uint8_t* top = nullptr;
  std::uint32_t* colors = nullptr;

  std::uint8_t* Row(int y) const { return top + y * stride; }
  operator ImageView() const { return {width, height, bitsPerPixel, stride, top, colors}; }
};

// A plain owning image with DIB layout (bottom-up rows, padded), filled with black. The program
// keeps its images in DIB sections; this one serves the tests, benchmarks and scratch work.
class Image {
 public:
  Image() = default;
  Image(int width, int height, int bitsPerPixel = 24)
      : width_(width),
        height_(height),
        bitsPerPixel_(bitsPerPixel),
        pixels_(static_cast<std::size_t>(DibStride(width, bitsPerPixel)) * height) {}

  int width() const { return width_; }
  int height() const { return height_; }
  std::vector<std::uint8_t>& bytes() { return pixels_; }
  const std::vector<std::uint8_t>& bytes() const { return pixels_; }
  std::array<std::uint32_t, 256>& colors() { return colors_; }

  MutableImageView View() {
    const std::ptrdiff_t stride = DibStride(width_, bitsPerPixel_);
    std::uint8_t* top = height_ > 0 ? pixels_.data() + (height_ - 1) * stride : pixels_.data();
    return {width_, height_, bitsPerPixel_, -stride, top, colors_.data()};
  }
  ImageView View() const { return const_cast<Image*>(this)->View(); }

 private:
  int width_ = 0;
  int height_ = 0;
  int bitsPerPixel_ = 24;
  std::vector<std::uint8_t> pixels_;
  std::array<std::uint32_t, 256> colors_{};
};

}  // namespace orv
