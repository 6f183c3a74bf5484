#include "output/png_writer.h"

#include <libdeflate.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <new>

namespace orv {

// Versions before 1.19 can give a tiny picture a block whose Huffman code is incomplete, which
// Windows' own inflate refuses.
static_assert(LIBDEFLATE_VERSION_MAJOR > 1 || LIBDEFLATE_VERSION_MINOR >= 19,
              "libdeflate 1.19 or later is needed");

namespace {

constexpr std::array<std::uint8_t, 8> kSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::size_t kChunkFrame = 12;  // length, type, CRC

void PutBe32(std::uint8_t* at, std::uint32_t value) {
  at[0] = static_cast<std::uint8_t>(value >> 24);
  at[1] = static_cast<std::uint8_t>(value >> 16);
  at[2] = static_cast<std::uint8_t>(value >> 8);
  at[3] = static_cast<std::uint8_t>(value);
}

// A buffer that may not be there: a picture of the largest screens asks for hundreds of
// megabytes, and running out is a failed write, never an exception out of a window procedure.
std::unique_ptr<std::uint8_t[]> TryAllocate(std::size_t size) {
  return std::unique_ptr<std::uint8_t[]>(new (std::nothrow) std::uint8_t[size]);
}

struct FreeCompressor {
  void operator()(libdeflate_compressor* compressor) const {
    libdeflate_free_compressor(compressor);
  }
};

// One row as PNG stores it: red, green, blue (the view holds blue, green, red) or the palette
// indices, with `above` subtracted byte by byte (filter Up); nothing above for filter None and
// for the top row.
void FilterRow(const ImageView& image, int y, PngFilter filter, std::uint8_t* out) {
  const std::uint8_t* row = image.Row(y);
  const std::uint8_t* above = filter == PngFilter::Up && y > 0 ? image.Row(y - 1) : nullptr;
  *out++ = static_cast<std::uint8_t>(filter);  // Up on the top row is the row as it is
  if (image.bitsPerPixel == 8) {
    for (int x = 0; x < image.width; ++x) {
      out[x] = static_cast<std::uint8_t>(row[x] - (above ? above[x] : 0));
    }
    return;
  }
  if (!above) {
    for (int x = 0; x < image.width; ++x, row += 3, out += 3) {
      out[0] = row[2];
      out[1] = row[1];
      out[2] = row[0];
    }
    return;
  }
  for (int x = 0; x < image.width; ++x, row += 3, above += 3, out += 3) {
    out[0] = static_cast<std::uint8_t>(row[2] - above[2]);
    out[1] = static_cast<std::uint8_t>(row[1] - above[1]);
    out[2] = static_cast<std::uint8_t>(row[0] - above[0]);
  }
}

// Writes one chunk: its length, type, data and the CRC-32 of type and data.
bool WriteChunk(const std::function<bool(std::span<const std::uint8_t>)>& write,
                const char (&type)[5], std::span<const std::uint8_t> data) {
  std::array<std::uint8_t, 8> head{};
  PutBe32(head.data(), static_cast<std::uint32_t>(data.size()));
  std::copy_n(type, 4, head.begin() + 4);
  std::uint32_t crc = libdeflate_crc32(0, head.data() + 4, 4);
  // An empty chunk's data has no address, which libdeflate takes for the start of a new CRC.
  if (!data.empty()) crc = libdeflate_crc32(crc, data.data(), data.size());
  std::array<std::uint8_t, 4> tail{};
  PutBe32(tail.data(), crc);
  return write(head) && write(data) && write(tail);
}

}  // namespace

PngFile PngFile::Encode(const ImageView& image, PngProfile profile) {
  const bool palette = image.bitsPerPixel == 8 && image.colors != nullptr;
  if (image.width < 1 || image.height < 1 || image.top == nullptr) return {};
  if (image.bitsPerPixel != 24 && !palette) return {};

  PngFile png;
  PutBe32(png.header_, static_cast<std::uint32_t>(image.width));
  PutBe32(png.header_ + 4, static_cast<std::uint32_t>(image.height));
  png.header_[8] = 8;                // bits per sample
  png.header_[9] = palette ? 3 : 2;  // colour type; compression, filter method and interlace 0
  png.hasPalette_ = palette;
  if (palette) {
    for (int i = 0; i < 256; ++i) {
      png.palette_[3 * i] = static_cast<std::uint8_t>(image.colors[i] >> 16);
      png.palette_[3 * i + 1] = static_cast<std::uint8_t>(image.colors[i] >> 8);
      png.palette_[3 * i + 2] = static_cast<std::uint8_t>(image.colors[i]);
    }
  }

  // libdeflate compresses one buffer at once: the filtered rows, each behind its filter byte.
  const std::size_t rowSize = 1 + static_cast<std::size_t>(image.width) * (image.bitsPerPixel / 8);
  const std::size_t rowsSize = rowSize * static_cast<std::size_t>(image.height);
  std::unique_ptr<std::uint8_t[]> rows = TryAllocate(rowsSize);
  const std::unique_ptr<libdeflate_compressor, FreeCompressor> compressor(
      libdeflate_alloc_compressor(std::clamp(profile.level, 1, 12)));
  if (!rows || !compressor) return {};
  for (int y = 0; y < image.height; ++y) {
    FilterRow(image, y, profile.filter, rows.get() + static_cast<std::size_t>(y) * rowSize);
  }
  const std::size_t bound = libdeflate_zlib_compress_bound(compressor.get(), rowsSize);
  std::unique_ptr<std::uint8_t[]> compressed = TryAllocate(bound);
  if (!compressed) return {};
  png.compressedSize_ =
      libdeflate_zlib_compress(compressor.get(), rows.get(), rowsSize, compressed.get(), bound);
  if (png.compressedSize_ == 0) return {};
  png.compressed_ = std::move(compressed);
  return png;
}

std::size_t PngFile::Size() const {
  if (!*this) return 0;
  const std::size_t dataChunks =
      std::max<std::size_t>(1, (compressedSize_ + kPngDataChunkSize - 1) / kPngDataChunkSize);
  return kSignature.size() + kChunkFrame + sizeof(header_) +
         (hasPalette_ ? kChunkFrame + sizeof(palette_) : 0) + dataChunks * kChunkFrame +
         compressedSize_ + kChunkFrame;
}

bool PngFile::WriteTo(const std::function<bool(std::span<const std::uint8_t>)>& write) const {
  if (!*this || !write(kSignature) || !WriteChunk(write, "IHDR", header_)) return false;
  if (hasPalette_ && !WriteChunk(write, "PLTE", palette_)) return false;
  const std::span<const std::uint8_t> stream(compressed_.get(), compressedSize_);
  for (std::size_t at = 0; at < stream.size(); at += kPngDataChunkSize) {
    if (!WriteChunk(write, "IDAT",
                    stream.subspan(at, std::min(kPngDataChunkSize, stream.size() - at)))) {
      return false;
    }
  }
  return WriteChunk(write, "IEND", {});
}

bool WritePngFile(const PngFile& png, const NativePath& file) {
  if (!png) return false;
  OutputFile out(file);
  if (!out.IsOpen()) return false;
  const bool written = png.WriteTo([&out](std::span<const std::uint8_t> bytes) {
    // An empty chunk's data has no address, which fwrite must not be given.
    return bytes.empty() ||
           std::fwrite(bytes.data(), 1, bytes.size(), out.Stream()) == bytes.size();
  });
  return written && out.Finish();
}

bool WritePngFile(const ImageView& image, const NativePath& file, PngProfile profile) {
  return WritePngFile(PngFile::Encode(image, profile), file);
}

}  // namespace orv
