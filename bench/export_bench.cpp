// Export speed and file size of the own encoders (JPEG, PNG, BMP) on full-HD and 4K pictures of
// two kinds: a screenshot (flat areas, window frames, text) and a photo (smooth shading with
// grain). PNG in both of the writer's profiles (the saved file; the PNG handed over through the
// clipboard and drag and drop, also made in memory only, as the clipboard does), and through
// libpng with zlib at level 9 and filter None, the way the program wrote it before.
//
// `export_bench --dump_images=DIR` writes the four pictures as BMP files and ends; the script
// compare_export_imagemagick.sh encodes the same pixels with ImageMagick.
#include <benchmark/benchmark.h>
#include <png.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "imaging/image.h"
#include "output/bmp_writer.h"
#include "output/jpeg_writer.h"
#include "output/png_writer.h"

namespace orv {
namespace {

enum class Content { Screen = 0, Photo = 1 };
enum class Format { Jpeg, Png, PngHandedOver, PngHandedOverInMemory, PngLibpng, Bmp };
constexpr const char* kFormatNames[] = {
    "jpeg", "png", "png-handed-over", "png-handed-over-memory", "png-libpng-zlib9", "bmp"};

// The PNG writer the program had before: libpng with zlib at level 9, filter None, the rows
// handed over one by one; kept here as the measure of the new one.
bool WritePngThroughLibpng(const ImageView& image, const std::filesystem::path& file) {
  std::FILE* stream = std::fopen(file.c_str(), "wb");
  if (!stream) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  bool written = false;
  if (info && setjmp(png_jmpbuf(png)) == 0) {
    png_init_io(png, stream);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width),
                 static_cast<png_uint_32>(image.height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_compression_level(png, 9);
    png_write_info(png, info);
    png_set_bgr(png);
    for (int y = 0; y < image.height; ++y) png_write_row(png, image.Row(y));
    png_write_end(png, nullptr);
    written = true;
  }
  png_destroy_write_struct(&png, &info);
  return std::fclose(stream) == 0 && written;
}

// What the clipboard's rendering does: the PNG made and copied into memory of its size.
std::size_t HandOverInMemory(const ImageView& image, std::vector<std::uint8_t>& memory) {
  const PngFile png = PngFile::Encode(image, kHandedOverPng);
  memory.resize(png.Size());
  std::uint8_t* at = memory.data();
  png.WriteTo([&at](std::span<const std::uint8_t> bytes) {
    at = std::copy(bytes.begin(), bytes.end(), at);
    return true;
  });
  return png ? memory.size() : 0;
}

void Put(const MutableImageView& image, int x, int y, std::uint32_t rgb) {
  std::uint8_t* p = image.Row(y) + 3 * x;
  p[0] = static_cast<std::uint8_t>(rgb);
  p[1] = static_cast<std::uint8_t>(rgb >> 8);
  p[2] = static_cast<std::uint8_t>(rgb >> 16);
}

void FillRect(const MutableImageView& image, int left, int top, int right, int bottom,
              std::uint32_t rgb) {
  for (int y = std::max(top, 0); y < std::min(bottom, image.height); ++y) {
    for (int x = std::max(left, 0); x < std::min(right, image.width); ++x) Put(image, x, y, rgb);
  }
}

std::uint8_t Clamp(double v) {
  return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 255.0)));
}

// Smooth shading with a few soft shapes and sensor grain, over any rectangle of the image.
void PaintPhoto(const MutableImageView& image, int left, int top, int right, int bottom,
                unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> grain(-6.0, 6.0);
  const double w = right - left, h = bottom - top;
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) {
      const double u = (x - left) / w, v = (y - top) / h;
      const double sky = 1.0 - v;
      const double hill = std::sin(u * 7.0 + 1.3) * 0.08 + 0.55 < v ? 1.0 : 0.0;
      const double sun = std::exp(-((u - 0.7) * (u - 0.7) + (v - 0.25) * (v - 0.25)) * 40.0);
      const double leaves = std::sin(u * 90.0 + std::sin(v * 40.0) * 3.0) * std::sin(v * 70.0);
      double r = 90 + 110 * sky + 120 * sun, g = 140 + 80 * sky + 90 * sun, b = 200 + 50 * sky;
      if (hill > 0) {
        r = 60 + 25 * leaves + 40 * v;
        g = 110 + 35 * leaves + 30 * v;
        b = 40 + 10 * leaves;
      }
      Put(image, x, y,
          static_cast<std::uint32_t>(Clamp(r + grain(random))) << 16 |
              static_cast<std::uint32_t>(Clamp(g + grain(random))) << 8 | Clamp(b + grain(random)));
    }
  }
}

// A desktop with a task bar and overlapping windows holding lines of text. Text repeats a small
// set of anti-aliased glyphs, as rendered text does.
void PaintScreen(const MutableImageView& image) {
  std::mt19937 random(11);
  const int w = image.width, h = image.height, scale = std::max(1, w / 1920);
  std::array<std::array<std::uint8_t, 7 * 11>, 64> glyphs{};
  for (auto& glyph : glyphs) {
    for (auto& level : glyph) {
      const unsigned r = random() % 100;
      level = r < 25 ? 255 : r < 32 ? 150 : r < 37 ? 80 : 0;
    }
  }
  FillRect(image, 0, 0, w, h, 0x2B5F8C);
  FillRect(image, 0, h - 40 * scale, w, h, 0x1F1F1F);
  for (int i = 0; i < 12; ++i)
    FillRect(image, (8 + 48 * i) * scale, h - 36 * scale, (44 + 48 * i) * scale, h - 4 * scale,
             0x3C3C3C + i * 0x0A0502);
  for (int window = 0; window < 4; ++window) {
    const int left = (60 + 380 * window) * scale, top = (40 + 90 * window) * scale;
    const int right = std::min(w - 20, left + 900 * scale),
              bottom = std::min(h - 60, top + 700 * scale);
    FillRect(image, left - 1, top - 1, right + 1, bottom + 1, 0x707070);
    for (int x = left; x < right; ++x) {
      const auto shade = static_cast<std::uint32_t>(200 - 60 * (x - left) / (right - left));
      FillRect(image, x, top, x + 1, top + 30 * scale, shade << 16 | (shade + 20) << 8 | 255);
    }
    FillRect(image, left, top + 30 * scale, right, bottom, 0xFFFFFF);
    if (window == 2) {
      PaintPhoto(image, left + 40 * scale, top + 60 * scale, left + 440 * scale, top + 360 * scale,
                 5);
      continue;
    }
    for (int line = top + 40 * scale; line + 11 * scale < bottom; line += 18 * scale) {
      int x = left + 10 * scale;
      const int end = right - 10 * scale - static_cast<int>(random() % 300) * scale;
      while (x + 8 * scale < end) {
        const int letters = 2 + static_cast<int>(random() % 8);
        for (int l = 0; l < letters && x + 8 * scale < end; ++l, x += 8 * scale) {
          const auto& glyph = glyphs[random() % glyphs.size()];
          for (int gy = 0; gy < 11 * scale; ++gy) {
            for (int gx = 0; gx < 7 * scale; ++gx) {
              const std::uint32_t level = 255 - glyph[(gy / scale) * 7 + gx / scale];
              if (level != 255) Put(image, x + gx, line + gy, level * 0x010101);
            }
          }
        }
        x += 6 * scale;
      }
    }
  }
}

const Image& Picture(Content content, int width, int height) {
  static std::map<std::tuple<Content, int, int>, Image> cache;
  auto [it, added] = cache.try_emplace({content, width, height}, width, height);
  if (added) {
    if (content == Content::Screen) {
      PaintScreen(it->second.View());
    } else {
      PaintPhoto(it->second.View(), 0, 0, width, height, 3);
    }
  }
  return it->second;
}

std::string PictureName(Content content, int width, int height) {
  return std::string(content == Content::Screen ? "screen" : "photo") + "-" +
         std::to_string(width) + "x" + std::to_string(height);
}

void BM_Export(benchmark::State& state) {
  const auto format = static_cast<Format>(state.range(0));
  const auto content = static_cast<Content>(state.range(1));
  const int width = static_cast<int>(state.range(2)), height = static_cast<int>(state.range(3));
  const Image& image = Picture(content, width, height);
  const auto file = std::filesystem::temp_directory_path() / "orvanta-export-bench.out";
  std::vector<std::uint8_t> memory;
  for (auto _ : state) {
    bool written = false;
    switch (format) {
      case Format::Jpeg:
        written = WriteJpegFile(image.View(), file, 9);
        break;
      case Format::Png:
        written = WritePngFile(image.View(), file, kSavedPng);
        break;
      case Format::PngHandedOver:
        written = WritePngFile(image.View(), file, kHandedOverPng);
        break;
      case Format::PngHandedOverInMemory:
        written = HandOverInMemory(image.View(), memory) != 0;
        break;
      case Format::PngLibpng:
        written = WritePngThroughLibpng(image.View(), file);
        break;
      case Format::Bmp:
        written = WriteBmpFile(image.View(), file);
        break;
    }
    if (!written) state.SkipWithError("the encoder failed");
  }
  state.counters["bytes"] = static_cast<double>(
      format == Format::PngHandedOverInMemory ? memory.size() : std::filesystem::file_size(file));
  state.counters["Mpx/s"] = benchmark::Counter(static_cast<double>(width) * height / 1e6,
                                               benchmark::Counter::kIsIterationInvariantRate);
  std::filesystem::remove(file);
  state.SetLabel(std::string(kFormatNames[state.range(0)]) + " " +
                 PictureName(content, width, height));
}

void ExportArguments(benchmark::internal::Benchmark* b) {
  for (auto [w, h] : {std::pair{1920, 1080}, std::pair{3840, 2160}}) {
    for (int content : {0, 1}) {
      for (int format = 0; format < static_cast<int>(std::size(kFormatNames)); ++format) {
        b->Args({format, content, w, h});
      }
    }
  }
}
BENCHMARK(BM_Export)->Apply(ExportArguments)->Unit(benchmark::kMillisecond)->UseRealTime();

bool DumpPictures(const std::filesystem::path& folder) {
  for (auto [w, h] : {std::pair{1920, 1080}, std::pair{3840, 2160}}) {
    for (Content content : {Content::Screen, Content::Photo}) {
      const auto file = folder / (PictureName(content, w, h) + ".bmp");
      if (!WriteBmpFile(Picture(content, w, h).View(), file)) return false;
    }
  }
  return true;
}

}  // namespace
}  // namespace orv

int main(int argc, char** argv) {
  constexpr std::string_view kDump = "--dump_images=";
  if (argc == 2 && std::string_view(argv[1]).starts_with(kDump)) {
    return orv::DumpPictures(std::string_view(argv[1]).substr(kDump.size())) ? 0 : 1;
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
