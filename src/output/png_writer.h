// The PNG writer: 8 bits per sample, colour type RGB or palette, no interlacing, the rows
// compressed with libdeflate into the zlib stream of the data chunks. Two profiles: the saved
// file (strongest level, filter None on every row) and the PNG handed to other programs through
// the clipboard and drag and drop (fastest level, filter Up), which comes several times sooner.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>

#include "imaging/image.h"
#include "output/output_file.h"

namespace orv {

// The filter type every row gets: None keeps the rows as they are, Up stores each row's
// difference to the row above, which compresses screens well at a fast level.
enum class PngFilter : std::uint8_t { None = 0, Up = 2 };

struct PngProfile {
  int level;  // libdeflate's compression level, 1 (fastest) to 12
  PngFilter filter;
};
inline constexpr PngProfile kSavedPng{9, PngFilter::None};
inline constexpr PngProfile kHandedOverPng{1, PngFilter::Up};

// Longest data chunk the writer makes; a longer zlib stream goes into several.
inline constexpr std::size_t kPngDataChunkSize = std::size_t{1} << 20;

// A PNG file in memory: the picture compressed once, then written out as signature, header,
// palette, data chunks and end, to wherever it goes (a file, the clipboard's memory).
class PngFile {
 public:
  PngFile() = default;

  // A 24-bit image becomes colour type RGB, a palette image colour type palette with its 256
  // colours. Empty when the image cannot be a PNG (no pixels, another depth) or memory runs out.
  static PngFile Encode(const ImageView& image, PngProfile profile);

  explicit operator bool() const { return compressed_ != nullptr; }
  // Bytes of the whole file.
  std::size_t Size() const;
  // Hands the file's bytes to `write` in order; false as soon as it refuses some.
  bool WriteTo(const std::function<bool(std::span<const std::uint8_t>)>& write) const;

 private:
  std::uint8_t header_[13] = {};
  std::uint8_t palette_[256 * 3] = {};
  bool hasPalette_ = false;
  std::unique_ptr<std::uint8_t[]> compressed_;  // the zlib stream
  std::size_t compressedSize_ = 0;
};

// Writes a made PNG to a file, or encodes the image and writes it. True when the whole file was
// written; on failure no file is left (the picture is compressed before the file is made).
bool WritePngFile(const PngFile& png, const NativePath& file);
bool WritePngFile(const ImageView& image, const NativePath& file, PngProfile profile = kSavedPng);

}  // namespace orv
