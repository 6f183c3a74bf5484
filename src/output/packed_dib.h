// The packed device-independent bitmap: a 40-byte BITMAPINFOHEADER, the colour table of a
// palette image, then the pixel rows bottom-up, each padded to four bytes. It is the
// clipboard's CF_DIB item and, behind a 14-byte file header, the body of a BMP file. And its
// 32-bit sibling with the 124-byte BITMAPV5HEADER, the clipboard's CF_DIBV5 item.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "imaging/image.h"

namespace orv {

constexpr std::size_t kDibInfoHeaderSize = 40;

// Non-empty views of 24 bits per pixel, or 8 with a colour table, no larger than a 32-bit size
// field can describe; anything else cannot be packed.
bool CanPackDib(const ImageView& image);

// Bytes of the colour table (1024 for 8 bits per pixel, 0 for 24) and of the padded rows.
std::size_t DibColorTableSize(const ImageView& image);
std::size_t DibImageSize(const ImageView& image);

// Header, colour table and rows together; 0 when the image cannot be packed.
std::size_t PackedDibSize(const ImageView& image);

// The BITMAPINFOHEADER: width, positive height (rows bottom-up), 1 plane, the depth, BI_RGB,
// the image size; resolution and colour counts 0 (a palette image uses all 256 entries).
void WriteDibInfoHeader(const ImageView& image, std::span<std::uint8_t, kDibInfoHeaderSize> out);

// The colour table as RGBQUADs (blue, green, red, 0); nothing for 24 bits per pixel.
void WriteDibColorTable(const ImageView& image, std::uint8_t* out);

// Fills a caller's buffer of PackedDibSize bytes (the clipboard's global memory) with the whole
// packed bitmap, padding bytes zeroed. False, and nothing written, when it cannot be packed
// or the buffer is too small.
bool FillPackedDib(const ImageView& image, std::span<std::uint8_t> out);

constexpr std::size_t kDibV5HeaderSize = 124;

// The CF_DIBV5 item: a BITMAPV5HEADER (width, positive height, 32 bits per pixel, BI_BITFIELDS
// with the red, green, blue and alpha masks in the header, the sRGB colour space), then the
// rows bottom-up as blue, green, red and 255, so that no reader takes any pixel for
// transparent. The same images as CanPackDib, whose whole item fits a 32-bit size; 0 else.
std::size_t PackedDibV5Size(const ImageView& image);
// Fills a caller's buffer of PackedDibV5Size bytes; false, and nothing written, when the image
// cannot be packed or the buffer is too small.
bool FillPackedDibV5(const ImageView& image, std::span<std::uint8_t> out);

// Little-endian fields, as every header of the Windows bitmap formats stores them.
inline void PutLe16(std::uint8_t* at, std::uint32_t value) {
  at[0] = static_cast<std::uint8_t>(value);
  at[1] = static_cast<std::uint8_t>(value >> 8);
}
inline void PutLe32(std::uint8_t* at, std::uint32_t value) {
  PutLe16(at, value);
  PutLe16(at + 2, value >> 16);
}

}  // namespace orv
