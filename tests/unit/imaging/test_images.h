// Pixel access and image makers shared by the imaging tests.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include "imaging/image.h"

namespace orv::imaging_test {

// 0x00RRGGBB, the order the palette code sorts by.
inline std::uint32_t PixelAt(const ImageView& image, int x, int y) {
  const std::uint8_t* p = image.Row(y) + 3 * x;
  return (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | p[0];
}

inline void SetPixel(const MutableImageView& image, int x, int y, std::uint32_t rgb) {
  std::uint8_t* p = image.Row(y) + 3 * x;
  p[0] = static_cast<std::uint8_t>(rgb);
  p[1] = static_cast<std::uint8_t>(rgb >> 8);
  p[2] = static_cast<std::uint8_t>(rgb >> 16);
}

inline std::uint32_t Rgb(int r, int g, int b) {
  return (static_cast<std::uint32_t>(r) << 16) | (static_cast<std::uint32_t>(g) << 8) |
         static_cast<std::uint32_t>(b);
}

// Every byte, padding included, set to a seeded random value.
// The grey of a pixel by the plain rule, (R + G + B) div 3 in all three channels.
inline std::uint32_t Grey(std::uint32_t rgb) {
  const std::uint32_t g = (((rgb >> 16) & 255) + ((rgb >> 8) & 255) + (rgb & 255)) / 3;
  return Rgb(g, g, g);
}

inline Image NoiseImage(int width, int height, unsigned seed) {
  Image image(width, height);
  std::mt19937 rng(seed);
  for (std::uint8_t& byte : image.bytes()) byte = static_cast<std::uint8_t>(rng());
  return image;
}

// Pixels drawn from `colours`, padding bytes random.
inline Image ImageOfColours(int width, int height, const std::vector<std::uint32_t>& colours,
                            unsigned seed) {
  Image image = NoiseImage(width, height, seed);
  std::mt19937 rng(seed + 1);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) SetPixel(image.View(), x, y, colours[rng() % colours.size()]);
  }
  return image;
}

// Like a screenshot: rows of runs, 1 to 60 pixels long, of colours drawn from `colours`.
inline Image RunsImage(int width, int height, const std::vector<std::uint32_t>& colours,
                       unsigned seed) {
  Image image = NoiseImage(width, height, seed);
  std::mt19937 rng(seed + 1);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width;) {
      const std::uint32_t colour = colours[rng() % colours.size()];
      for (int end = x + 1 + static_cast<int>(rng() % 60); x < end && x < width; ++x) {
        SetPixel(image.View(), x, y, colour);
      }
    }
  }
  return image;
}

// The bytes after each row's last pixel.
inline std::vector<std::uint8_t> PaddingOf(const ImageView& image) {
  std::vector<std::uint8_t> padding;
  const std::ptrdiff_t stride = image.stride < 0 ? -image.stride : image.stride;
  for (int y = 0; y < image.height; ++y) {
    const std::uint8_t* row = image.Row(y);
    padding.insert(padding.end(), row + std::ptrdiff_t{3} * image.width, row + stride);
  }
  return padding;
}

}  // namespace orv::imaging_test
