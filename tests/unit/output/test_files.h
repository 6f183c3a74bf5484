// Helpers of the output tests: a scratch folder that is removed afterwards, whole-file reads
// and small test pictures in the layouts the program meets (bottom-up DIB rows, or top-down).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <system_error>
#include <vector>

#include "imaging/image.h"

namespace orv::test {

class ScratchFolder {
 public:
  ScratchFolder() {
    std::random_device random;
    path_ = std::filesystem::temp_directory_path() /
            ("orvanta-output-test-" + std::to_string(random()) + std::to_string(random()));
    std::filesystem::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  std::filesystem::path operator/(const std::filesystem::path& name) const { return path_ / name; }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

inline std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void SetPixel(const MutableImageView& image, int x, int y, std::uint8_t r, std::uint8_t g,
                     std::uint8_t b) {
  std::uint8_t* p = image.Row(y) + 3 * x;
  p[0] = b;
  p[1] = g;
  p[2] = r;
}

// Independent channels that change slowly: what a lossy encoder must keep closely.
inline void FillSmooth(const MutableImageView& image) {
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      SetPixel(image, x, y, static_cast<std::uint8_t>(x * 255 / std::max(1, image.width - 1)),
               static_cast<std::uint8_t>(y * 255 / std::max(1, image.height - 1)),
               static_cast<std::uint8_t>((x + y) * 127 / std::max(1, image.width + image.height)));
    }
  }
}

// Every byte random (fixed seed): worst case for every encoder, and every channel distinct.
inline void FillNoise(const MutableImageView& image, unsigned seed = 1) {
  std::mt19937 random(seed);
  for (int y = 0; y < image.height; ++y) {
    std::uint8_t* row = image.Row(y);
    for (int i = 0; i < image.width * image.bitsPerPixel / 8; ++i) {
      row[i] = static_cast<std::uint8_t>(random());
    }
  }
}

// A palette image: indices from noise, 256 distinct colours with junk in the unused top byte,
// which no writer may pass on.
inline void FillPaletteNoise(const MutableImageView& image) {
  FillNoise(image);
  for (std::uint32_t i = 0; i < 256; ++i) {
    image.colors[i] = 0xAB000000u | i << 16 | (255 - i) << 8 | (i * 7 & 0xFF);
  }
}

// A top-down view of the same size as `image`, with extra bytes at the end of each row, the
// other layout a view can have.
class TopDownImage {
 public:
  TopDownImage(int width, int height, int bitsPerPixel = 24)
      : stride_(width * bitsPerPixel / 8 + 5),
        bytes_(static_cast<std::size_t>(stride_) * height, 0xEE) {
    view_ = {width, height, bitsPerPixel, stride_, bytes_.data(), colors_.data()};
  }
  const MutableImageView& View() { return view_; }

 private:
  std::ptrdiff_t stride_;
  std::vector<std::uint8_t> bytes_;
  std::array<std::uint32_t, 256> colors_{};
  MutableImageView view_;
};

// The colour table that applies to a GIF's first image: its local one, else the global one.
inline std::vector<std::uint32_t> GifColorTable(const std::vector<std::uint8_t>& gif) {
  auto table = [&](std::size_t at, std::uint8_t flags) {
    std::vector<std::uint32_t> colors(std::size_t{2} << (flags & 7));
    for (std::size_t i = 0; i < colors.size(); ++i) {
      const std::size_t p = at + 3 * i;
      colors[i] = static_cast<std::uint32_t>(gif.at(p)) << 16 | gif.at(p + 1) << 8 | gif.at(p + 2);
    }
    return colors;
  };
  std::vector<std::uint32_t> global;
  std::size_t at = 13;
  if (gif.at(10) & 0x80) {
    global = table(at, gif[10]);
    at += 3 * global.size();
  }
  while (gif.at(at) == 0x21) {  // extensions: introducer, label, sub-blocks up to a zero length
    at += 2;
    while (gif.at(at) != 0) at += gif[at] + 1;
    ++at;
  }
  if (gif.at(at) != 0x2C) return {};  // no image descriptor
  const std::uint8_t flags = gif.at(at + 9);
  return flags & 0x80 ? table(at + 10, flags) : global;
}

}  // namespace orv::test
