#include "win/dib_image.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace orv::win {

DibImage DibImage::Create(int width, int height, int bitsPerPixel) {
  DibImage image;
  if (width <= 0 || height <= 0) return image;
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colors[256];
  } info{};
  info.header.biSize = sizeof(BITMAPINFOHEADER);
  info.header.biWidth = width;
  info.header.biHeight = height;  // positive: bottom-up rows
  info.header.biPlanes = 1;
  info.header.biBitCount = static_cast<WORD>(bitsPerPixel);
  info.header.biCompression = BI_RGB;
  void* bits = nullptr;
  // CreateDIBSection hands out zeroed pages: the image starts black.
  image.bitmap_.reset(CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info),
                                       DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!image.bitmap_ || !bits) return {};
  image.bits_ = static_cast<std::uint8_t*>(bits);
  image.width_ = width;
  image.height_ = height;
  image.bitsPerPixel_ = bitsPerPixel;
  return image;
}

DibImage& DibImage::operator=(DibImage&& other) noexcept {
  if (this == &other) return *this;
  bitmap_ = std::move(other.bitmap_);
  bits_ = std::exchange(other.bits_, nullptr);
  width_ = std::exchange(other.width_, 0);
  height_ = std::exchange(other.height_, 0);
  bitsPerPixel_ = std::exchange(other.bitsPerPixel_, 24);
  colors_ = other.colors_;
  return *this;
}

MutableImageView DibImage::View() {
  if (!bits_) return {};
  const std::ptrdiff_t stride = DibStride(width_, bitsPerPixel_);
  return {width_, height_, bitsPerPixel_, -stride, bits_ + (height_ - 1) * stride, colors_.data()};
}

std::span<std::uint8_t> DibImage::Memory() {
  if (!bits_) return {};
  return {bits_, static_cast<std::size_t>(DibStride(width_, bitsPerPixel_)) * height_};
}

void DibImage::SetColors(std::span<const std::uint32_t> colors) {
  const std::size_t count = std::min(colors.size(), colors_.size());
  std::copy_n(colors.begin(), count, colors_.begin());
  const UniqueCreatedDc dc(CreateCompatibleDC(nullptr));
  const SelectObjectGuard select(dc.get(), bitmap_.get());
  // 0x00RRGGBB in memory is blue, green, red, 0: exactly an RGBQUAD.
  SetDIBColorTable(dc.get(), 0, static_cast<UINT>(count),
                   reinterpret_cast<const RGBQUAD*>(colors_.data()));
}

DibImage DibImage::Clone() const {
  DibImage copy = Create(width_, height_, bitsPerPixel_);
  if (!copy) return copy;
  std::memcpy(copy.bits_, bits_,
              static_cast<std::size_t>(DibStride(width_, bitsPerPixel_)) * height_);
  if (bitsPerPixel_ == 8) copy.SetColors(colors_);
  return copy;
}

}  // namespace orv::win
