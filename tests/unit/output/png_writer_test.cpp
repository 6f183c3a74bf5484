#include "output/png_writer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include <png.h>
#include <zlib.h>

#include "output/test_files.h"

namespace orv {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::ReadFileBytes;
using test::ScratchFolder;

std::uint32_t Be32(const std::uint8_t* at) {
  return static_cast<std::uint32_t>(at[0]) << 24 | at[1] << 16 | at[2] << 8 | at[3];
}

// The file read by hand, chunk by chunk, to see what a decoder would hide: the chunk order,
// the header fields, the zlib header and the filter byte in front of every row.
struct PngStructure {
  std::vector<std::string> chunks;  // IDAT runs counted once
  std::uint32_t width = 0, height = 0;
  int bitDepth = -1, colorType = -1, compression = -1, filterMethod = -1, interlace = -1;
  Bytes palette;     // PLTE data
  Bytes compressed;  // all IDAT data
  Bytes rows;        // inflated: filter byte and row bytes, row after row
};

PngStructure ReadStructure(const Bytes& file) {
  PngStructure png;
  const Bytes signature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  EXPECT_EQ(Bytes(file.begin(), file.begin() + 8), signature);
  std::size_t at = 8;
  while (at + 12 <= file.size()) {
    const std::uint32_t length = Be32(&file[at]);
    const std::string type(file.begin() + at + 4, file.begin() + at + 8);
    const std::uint8_t* data = &file[at + 8];
    if (type != "IDAT" || png.chunks.empty() || png.chunks.back() != "IDAT") {
      png.chunks.push_back(type);
    }
    if (type == "IHDR") {
      png.width = Be32(data);
      png.height = Be32(data + 4);
      png.bitDepth = data[8];
      png.colorType = data[9];
      png.compression = data[10];
      png.filterMethod = data[11];
      png.interlace = data[12];
    } else if (type == "PLTE") {
      png.palette.assign(data, data + length);
    } else if (type == "IDAT") {
      png.compressed.insert(png.compressed.end(), data, data + length);
    }
    at += 12 + length;
  }
  const std::size_t bytesPerPixel = png.colorType == 2 ? 3 : 1;
  uLongf size = static_cast<uLongf>((1 + png.width * bytesPerPixel) * png.height);
  png.rows.resize(size);
  EXPECT_EQ(uncompress(png.rows.data(), &size, png.compressed.data(),
                       static_cast<uLong>(png.compressed.size())),
            Z_OK);
  EXPECT_EQ(size, png.rows.size());
  return png;
}

// Decodes with libpng's reader into RGB; empty when libpng rejects the file (a bad CRC, a
// broken zlib stream, a chunk out of order).
Bytes DecodeRgb(const Bytes& file) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, file.data(), file.size())) return {};
  image.format = PNG_FORMAT_RGB;
  Bytes rgb(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return {};
  return rgb;
}

Bytes RgbOf(const ImageView& view) {
  Bytes rgb;
  for (int y = 0; y < view.height; ++y) {
    for (int x = 0; x < view.width; ++x) {
      const std::uint8_t* bgr = view.Row(y) + 3 * x;
      rgb.insert(rgb.end(), {bgr[2], bgr[1], bgr[0]});
    }
  }
  return rgb;
}

TEST(PngWriter, TrueColourIsRgbEightBitsUnfilteredAtZlibsStrongestLevel) {
  ScratchFolder folder;
  Image image(37, 23);
  test::FillNoise(image.View());
  ASSERT_TRUE(WritePngFile(image.View(), folder / "shot.png"));
  const PngStructure png = ReadStructure(ReadFileBytes(folder / "shot.png"));
  EXPECT_EQ(png.chunks, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
  EXPECT_EQ(png.width, 37u);
  EXPECT_EQ(png.height, 23u);
  EXPECT_EQ(png.bitDepth, 8);
  EXPECT_EQ(png.colorType, 2);
  EXPECT_EQ(png.compression, 0);
  EXPECT_EQ(png.filterMethod, 0);
  EXPECT_EQ(png.interlace, 0);
  ASSERT_GE(png.compressed.size(), 2u);
  EXPECT_EQ(png.compressed[1] >> 6, 3) << "zlib header does not say maximum compression";
  const std::size_t rowSize = 1 + 37 * 3;
  for (std::size_t y = 0; y < 23; ++y) EXPECT_EQ(png.rows[y * rowSize], 0) << "row " << y;
}

TEST(PngWriter, TrueColourComesBackExactlyFromEitherViewLayout) {
  ScratchFolder folder;
  Image bottomUp(101, 67);
  test::FillNoise(bottomUp.View(), 7);
  test::TopDownImage topDown(101, 67);
  for (int y = 0; y < 67; ++y) std::copy_n(bottomUp.View().Row(y), 303, topDown.View().Row(y));
  ASSERT_TRUE(WritePngFile(bottomUp.View(), folder / "bottom-up.png"));
  ASSERT_TRUE(WritePngFile(topDown.View(), folder / "top-down.png"));
  EXPECT_EQ(DecodeRgb(ReadFileBytes(folder / "bottom-up.png")), RgbOf(bottomUp.View()));
  EXPECT_EQ(DecodeRgb(ReadFileBytes(folder / "top-down.png")), RgbOf(bottomUp.View()));
}

TEST(PngWriter, PaletteImageKeepsItsIndicesAndColours) {
  ScratchFolder folder;
  Image image(19, 5, 8);
  test::FillPaletteNoise(image.View());
  ASSERT_TRUE(WritePngFile(image.View(), folder / "palette.png"));
  const PngStructure png = ReadStructure(ReadFileBytes(folder / "palette.png"));
  EXPECT_EQ(png.chunks, (std::vector<std::string>{"IHDR", "PLTE", "IDAT", "IEND"}));
  EXPECT_EQ(png.colorType, 3);
  EXPECT_EQ(png.bitDepth, 8);
  ASSERT_EQ(png.palette.size(), 256u * 3);
  for (int i = 0; i < 256; ++i) {
    const std::uint32_t color = image.colors()[i];
    ASSERT_EQ(png.palette[3 * i], color >> 16 & 0xFF) << i;
    ASSERT_EQ(png.palette[3 * i + 1], color >> 8 & 0xFF) << i;
    ASSERT_EQ(png.palette[3 * i + 2], color & 0xFF) << i;
  }
  for (int y = 0; y < 5; ++y) {
    const auto row = png.rows.begin() + y * 20;
    EXPECT_EQ(row[0], 0);
    EXPECT_EQ(Bytes(row + 1, row + 20), Bytes(image.View().Row(y), image.View().Row(y) + 19));
  }
  EXPECT_FALSE(DecodeRgb(ReadFileBytes(folder / "palette.png")).empty());
}

TEST(PngWriter, FailureLeavesNoFile) {
  ScratchFolder folder;
  Image image(8, 8);
  EXPECT_FALSE(WritePngFile(image.View(), folder / "missing" / "a.png"));
  // libpng refuses rows wider than a million pixels once the file exists: its error must come
  // back as a failure and the begun file must go.
  Image tooWide(1000001, 1);
  EXPECT_FALSE(WritePngFile(tooWide.View(), folder / "wide.png"));
  EXPECT_FALSE(WritePngFile(Image(5, 0).View(), folder / "empty.png"));
  EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
}

}  // namespace
}  // namespace orv
