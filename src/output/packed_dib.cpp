#include "output/packed_dib.h"

#include <cstring>
#include <limits>

namespace orv {
namespace {

constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiBitfields = 3;
constexpr std::uint32_t kLcsSrgb = 0x73524742;  // 'sRGB'
constexpr std::uint32_t kLcsGmImages = 4;       // the rendering intent for photographs

std::size_t PixelBytesPerRow(const ImageView& image) {
  return static_cast<std::size_t>(image.width) * (image.bitsPerPixel / 8);
}

// The fields both headers begin with, the rest zeroed: resolution and colour counts (24 to 36)
// stay 0.
void WriteHeaderStart(std::uint8_t* h, std::uint32_t headerSize, const ImageView& image,
                      std::uint16_t bitsPerPixel, std::uint32_t compression,
                      std::size_t imageSize) {
  std::memset(h, 0, headerSize);
  PutLe32(h + 0, headerSize);
  PutLe32(h + 4, static_cast<std::uint32_t>(image.width));
  PutLe32(h + 8, static_cast<std::uint32_t>(image.height));
  PutLe16(h + 12, 1);
  PutLe16(h + 14, bitsPerPixel);
  PutLe32(h + 16, compression);
  PutLe32(h + 20, static_cast<std::uint32_t>(imageSize));
}

}  // namespace

bool CanPackDib(const ImageView& image) {
  // A bitmap has at least one pixel.
  if (image.width < 1 || image.height < 1 || image.top == nullptr) return false;
  if (image.bitsPerPixel == 8 && image.colors == nullptr) return false;
  if (image.bitsPerPixel != 8 && image.bitsPerPixel != 24) return false;
  // Every size of the headers, the file size of a BMP included, must fit in 32 bits.
  const auto rowSize = static_cast<std::uint64_t>(DibStride(image.width, image.bitsPerPixel));
  const std::uint64_t limit = std::numeric_limits<std::uint32_t>::max() - 14 - 40 - 1024;
  return rowSize * static_cast<std::uint64_t>(image.height) <= limit;
}

std::size_t DibColorTableSize(const ImageView& image) {
  return image.bitsPerPixel == 8 ? 256 * 4 : 0;
}

std::size_t DibImageSize(const ImageView& image) {
  return static_cast<std::size_t>(DibStride(image.width, image.bitsPerPixel)) *
         static_cast<std::size_t>(image.height);
}

std::size_t PackedDibSize(const ImageView& image) {
  if (!CanPackDib(image)) return 0;
  return kDibInfoHeaderSize + DibColorTableSize(image) + DibImageSize(image);
}

void WriteDibInfoHeader(const ImageView& image, std::span<std::uint8_t, kDibInfoHeaderSize> out) {
  WriteHeaderStart(out.data(), kDibInfoHeaderSize, image,
                   static_cast<std::uint16_t>(image.bitsPerPixel), kBiRgb, DibImageSize(image));
}

void WriteDibColorTable(const ImageView& image, std::uint8_t* out) {
  if (image.bitsPerPixel != 8) return;
  for (int i = 0; i < 256; ++i) PutLe32(out + 4 * i, image.colors[i] & 0x00FFFFFFu);
}

bool FillPackedDib(const ImageView& image, std::span<std::uint8_t> out) {
  const std::size_t size = PackedDibSize(image);
  if (size == 0 || out.size() < size) return false;
  std::uint8_t* at = out.data();
  WriteDibInfoHeader(image, std::span<std::uint8_t, kDibInfoHeaderSize>(at, kDibInfoHeaderSize));
  at += kDibInfoHeaderSize;
  WriteDibColorTable(image, at);
  at += DibColorTableSize(image);
  const std::size_t pixelBytes = PixelBytesPerRow(image);
  const auto rowSize = static_cast<std::size_t>(DibStride(image.width, image.bitsPerPixel));
  for (int y = image.height - 1; y >= 0; --y, at += rowSize) {
    std::memcpy(at, image.Row(y), pixelBytes);
    std::memset(at + pixelBytes, 0, rowSize - pixelBytes);
  }
  return true;
}

std::size_t PackedDibV5Size(const ImageView& image) {
  if (!CanPackDib(image)) return 0;
  const std::uint64_t size = kDibV5HeaderSize + std::uint64_t{4} *
                                                    static_cast<std::uint64_t>(image.width) *
                                                    static_cast<std::uint64_t>(image.height);
  return size <= std::numeric_limits<std::uint32_t>::max() ? static_cast<std::size_t>(size) : 0;
}

bool FillPackedDibV5(const ImageView& image, std::span<std::uint8_t> out) {
  const std::size_t size = PackedDibV5Size(image);
  if (size == 0 || out.size() < size) return false;
  std::uint8_t* h = out.data();
  WriteHeaderStart(h, kDibV5HeaderSize, image, 32, kBiBitfields, size - kDibV5HeaderSize);
  // The masks of red, green, blue and alpha.
  PutLe32(h + 40, 0x00FF0000u);
  PutLe32(h + 44, 0x0000FF00u);
  PutLe32(h + 48, 0x000000FFu);
  PutLe32(h + 52, 0xFF000000u);
  PutLe32(h + 56, kLcsSrgb);  // the end points and gammas (60 to 107) are not used with sRGB
  PutLe32(h + 108, kLcsGmImages);
  // No profile (112, 116), and the reserved field (120) stays 0.
  std::uint8_t* at = h + kDibV5HeaderSize;
  for (int y = image.height - 1; y >= 0; --y) {
    const std::uint8_t* row = image.Row(y);
    for (int x = 0; x < image.width; ++x, at += 4) {
      if (image.bitsPerPixel == 8) {
        PutLe32(at, 0xFF000000u | (image.colors[row[x]] & 0x00FFFFFFu));
        continue;
      }
      at[0] = row[3 * x];
      at[1] = row[3 * x + 1];
      at[2] = row[3 * x + 2];
      at[3] = 0xFF;
    }
  }
  return true;
}

}  // namespace orv
