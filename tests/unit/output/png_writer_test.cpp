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

// The file read by hand, chunk by chunk, to see what a decoder would hide: the chunk order and
// CRCs (checked with zlib's CRC-32), the header fields, the zlib stream and the filter byte in
// front of every row.
struct PngStructure {
  std::vector<std::string> chunks;  // IDAT runs counted once
  std::vector<std::size_t> dataChunkSizes;
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
    EXPECT_EQ(Be32(data + length), crc32(0, &file[at + 4], length + 4)) << type << " CRC";
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
      png.dataChunkSizes.push_back(length);
    }
    at += 12 + length;
  }
  EXPECT_EQ(at, file.size());
  const std::size_t bytesPerPixel = png.colorType == 2 ? 3 : 1;
  uLongf size = static_cast<uLongf>((1 + png.width * bytesPerPixel) * png.height);
  png.rows.resize(size);
  EXPECT_EQ(uncompress(png.rows.data(), &size, png.compressed.data(),
                       static_cast<uLong>(png.compressed.size())),
            Z_OK);
  EXPECT_EQ(size, png.rows.size());
  return png;
}

Bytes InMemory(const PngFile& png) {
  Bytes bytes;
  EXPECT_TRUE(png.WriteTo([&](std::span<const std::uint8_t> part) {
    bytes.insert(bytes.end(), part.begin(), part.end());
    return true;
  }));
  EXPECT_EQ(bytes.size(), png.Size());
  return bytes;
}

Bytes Encoded(const ImageView& image, PngProfile profile) {
  return InMemory(PngFile::Encode(image, profile));
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
      if (view.bitsPerPixel == 8) {
        const std::uint32_t c = view.colors[view.Row(y)[x]];
        rgb.insert(rgb.end(), {static_cast<std::uint8_t>(c >> 16),
                               static_cast<std::uint8_t>(c >> 8), static_cast<std::uint8_t>(c)});
        continue;
      }
      const std::uint8_t* bgr = view.Row(y) + 3 * x;
      rgb.insert(rgb.end(), {bgr[2], bgr[1], bgr[0]});
    }
  }
  return rgb;
}

std::vector<int> FilterBytes(const PngStructure& png) {
  const std::size_t rowSize = 1 + png.width * (png.colorType == 2 ? 3 : 1);
  std::vector<int> filters;
  for (std::size_t at = 0; at < png.rows.size(); at += rowSize) filters.push_back(png.rows[at]);
  return filters;
}

TEST(PngWriter, SavedFileIsUnfilteredAtTheStrongestLevelHandedOverOneUpAtTheFastest) {
  Image image(37, 23);
  test::FillNoise(image.View());
  const PngStructure saved = ReadStructure(Encoded(image.View(), kSavedPng));
  EXPECT_EQ(saved.chunks, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
  EXPECT_EQ(saved.width, 37u);
  EXPECT_EQ(saved.height, 23u);
  EXPECT_EQ(saved.bitDepth, 8);
  EXPECT_EQ(saved.colorType, 2);
  EXPECT_EQ(saved.compression, 0);
  EXPECT_EQ(saved.filterMethod, 0);
  EXPECT_EQ(saved.interlace, 0);
  EXPECT_EQ(FilterBytes(saved), std::vector<int>(23, 0));
  EXPECT_EQ(saved.compressed.at(1) >> 6, 3) << "zlib header does not say maximum compression";

  const PngStructure handedOver = ReadStructure(Encoded(image.View(), kHandedOverPng));
  EXPECT_EQ(FilterBytes(handedOver), std::vector<int>(23, 2));
  EXPECT_EQ(handedOver.compressed.at(1) >> 6, 0) << "zlib header does not say fastest";

  Image palette(19, 5, 8);  // its colours and indices come back in the decoding test below
  test::FillPaletteNoise(palette.View());
  const PngStructure indexed = ReadStructure(Encoded(palette.View(), kSavedPng));
  EXPECT_EQ(indexed.chunks, (std::vector<std::string>{"IHDR", "PLTE", "IDAT", "IEND"}));
  EXPECT_EQ(indexed.colorType, 3);
  EXPECT_EQ(indexed.palette.size(), 256u * 3);
  EXPECT_EQ(FilterBytes(indexed), std::vector<int>(5, 0));
}

TEST(PngWriter, EveryLayoutWidthAndDepthComesBackExactlyInBothProfiles) {
  for (const PngProfile profile : {kSavedPng, kHandedOverPng}) {
    for (const int bits : {24, 8}) {
      for (const int width : {1, 3, 37}) {
        Image bottomUp(width, 7, bits);
        if (bits == 8) {
          test::FillPaletteNoise(bottomUp.View());
        } else {
          test::FillNoise(bottomUp.View(), static_cast<unsigned>(width));
        }
        test::TopDownImage topDown(width, 7, bits);
        for (int y = 0; y < 7; ++y) {
          std::copy_n(bottomUp.View().Row(y), width * bits / 8, topDown.View().Row(y));
        }
        std::copy_n(bottomUp.colors().begin(), 256, topDown.View().colors);
        const Bytes expected = RgbOf(bottomUp.View());
        const std::string what = std::to_string(bits) + " bits, " + std::to_string(width) +
                                 " wide, level " + std::to_string(profile.level);
        EXPECT_EQ(DecodeRgb(Encoded(bottomUp.View(), profile)), expected) << what;
        EXPECT_EQ(DecodeRgb(Encoded(topDown.View(), profile)), expected) << what << " top-down";
      }
    }
  }
}

TEST(PngWriter, ALongStreamGoesIntoSeveralDataChunks) {
  Image image(700, 600);  // noise does not compress: 1.2 MB of rows
  test::FillNoise(image.View(), 3);
  const Bytes file = Encoded(image.View(), kSavedPng);
  const PngStructure png = ReadStructure(file);
  ASSERT_EQ(png.dataChunkSizes.size(), 2u);
  EXPECT_EQ(png.dataChunkSizes[0], kPngDataChunkSize);
  EXPECT_EQ(png.chunks, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
  EXPECT_EQ(DecodeRgb(file), RgbOf(image.View()));
}

// Whether the code lengths fill the code space exactly: 2^-length summed is one.
bool IsComplete(const std::vector<int>& lengths) {
  long sum = 0;
  for (const int length : lengths) sum += length > 0 ? 1L << (15 - length) : 0;
  return sum == 1L << 15;
}

// The Huffman codes of a one-block stream's dynamic block: code-length, literal/length,
// distance. None for a stored block, which has none, or the fixed code, which is complete.
std::vector<std::vector<int>> DynamicCodes(const Bytes& zlib) {
  std::size_t bit = 16;  // after the zlib header; each byte's low bit comes first
  const auto take = [&](int count) {
    int value = 0;
    for (int i = 0; i < count; ++i, ++bit) value |= (zlib.at(bit / 8) >> (bit % 8) & 1) << i;
    return value;
  };
  // One symbol of the canonical code of these lengths, its bits read highest first.
  const auto decode = [&](const std::vector<int>& lengths) {
    std::vector<int> codes(lengths.size());
    for (int length = 1, next = 0; length <= 15; ++length, next <<= 1) {
      for (std::size_t s = 0; s < lengths.size(); ++s) {
        if (lengths[s] == length) codes[s] = next++;
      }
    }
    for (int length = 1, code = 0; length <= 15; ++length) {
      code = code << 1 | take(1);
      for (std::size_t s = 0; s < lengths.size(); ++s) {
        if (lengths[s] == length && codes[s] == code) return static_cast<int>(s);
      }
    }
    ADD_FAILURE() << "no symbol";
    return 0;
  };
  EXPECT_EQ(take(1), 1) << "more than one block";
  if (take(2) != 2) return {};
  const int literals = take(5) + 257, distances = take(5) + 1, precodeCount = take(4) + 4;
  constexpr int kOrder[] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
  std::vector<int> precode(19), lengths;
  for (int i = 0; i < precodeCount; ++i) precode[kOrder[i]] = take(3);
  while (lengths.size() < static_cast<std::size_t>(literals + distances)) {
    const int symbol = decode(precode);
    if (symbol < 16) {
      lengths.push_back(symbol);
    } else if (symbol == 16) {
      lengths.insert(lengths.end(), 3 + take(2), lengths.back());
    } else {
      lengths.insert(lengths.end(), symbol == 17 ? 3 + take(3) : 11 + take(7), 0);
    }
  }
  return {precode,
          {lengths.begin(), lengths.begin() + literals},
          {lengths.begin() + literals, lengths.end()}};
}

// Windows' own inflate refuses a code that does not fill its code space, which zlib and libpng
// accept; libdeflate before 1.19 wrote such codes for tiny pictures like this one.
TEST(PngWriter, EveryCodeOfATinyPhotoIsComplete) {
  Image photo(12, 2);
  test::FillSmooth(photo.View());
  photo.View().Row(1)[7] ^= 0x5A;  // a grain
  for (const PngProfile profile : {kSavedPng, kHandedOverPng}) {
    const PngStructure png = ReadStructure(Encoded(photo.View(), profile));
    const std::vector<std::vector<int>> codes = DynamicCodes(png.compressed);
    const char* names[] = {"code-length", "literal/length", "distance"};
    for (std::size_t i = 0; i < codes.size(); ++i) {
      EXPECT_TRUE(IsComplete(codes[i])) << names[i] << " code, level " << profile.level;
    }
  }
}

TEST(PngWriter, FailureLeavesNoFile) {
  ScratchFolder folder;
  Image image(8, 8);
  EXPECT_FALSE(WritePngFile(image.View(), folder / "missing" / "a.png"));
  EXPECT_FALSE(WritePngFile(Image(5, 0).View(), folder / "empty.png"));
  Image palette(4, 4, 8);
  ImageView noColours = palette.View();
  noColours.colors = nullptr;
  EXPECT_FALSE(WritePngFile(noColours, folder / "palette.png"));
  EXPECT_FALSE(WritePngFile(Image(4, 4, 32).View(), folder / "deep.png"));
  EXPECT_FALSE(PngFile::Encode(Image(4, 4, 32).View(), kHandedOverPng));
  EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
}

}  // namespace
}  // namespace orv
