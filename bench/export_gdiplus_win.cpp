// Export timing of the formats that go through GDI+ (GIF after the palette reduction, TIFF),
// for running under Wine or on Windows, where Google Benchmark is not built. Reads the BMP files
// that `export_bench --dump_images=DIR` writes and prints, per picture, the median wall time (and
// CPU time of the saving thread) of five runs of: the palette reduction alone, GDI+ writing the
// reduced GIF, the whole GIF save, the whole TIFF save, each with the file size; then the fixed
// cost of one GDI+ save.
//
// Usage: export_gdiplus_win.exe DIR (see bench/export_gdiplus_timing.sh)
#include <windows.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "imaging/reduce_to_palette.h"
#include "output/export_win.h"
#include "output/gdiplus_win.h"
#include "win/dib_image.h"

namespace orv {
namespace {

constexpr int kRuns = 5;

// A 24-bit bottom-up BMP as the program's own writer makes it, into a DIB section.
win::DibImage LoadBmp(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
  if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M' || bytes[28] != 24) return {};
  auto le32 = [&](std::size_t at) {
    return static_cast<std::int32_t>(bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 |
                                     static_cast<std::uint32_t>(bytes[at + 3]) << 24);
  };
  const int width = le32(18), height = le32(22);
  const std::size_t offset = static_cast<std::size_t>(le32(10));
  const std::size_t stride = static_cast<std::size_t>(DibStride(width, 24));
  if (height <= 0 || bytes.size() < offset + stride * height) return {};
  win::DibImage image = win::DibImage::Create(width, height);
  const MutableImageView view = image.View();
  for (int y = 0; y < height; ++y) {
    std::copy_n(&bytes[offset + stride * static_cast<std::size_t>(height - 1 - y)], 3 * width,
                view.Row(y));
  }
  return image;
}

// CPU time of this thread so far, in milliseconds (the encoders run on the calling thread).
double ThreadCpuMs() {
  FILETIME created, ended, kernel, user;
  if (!GetThreadTimes(GetCurrentThread(), &created, &ended, &kernel, &user)) return 0;
  auto ticks = [](const FILETIME& t) {
    return static_cast<double>(static_cast<std::uint64_t>(t.dwHighDateTime) << 32 |
                               t.dwLowDateTime);
  };
  return (ticks(kernel) + ticks(user)) / 10000.0;
}

struct Timing {
  double wallMs;
  double cpuMs;
};

// Medians of wall and CPU time over kRuns calls.
Timing Median(const std::function<bool()>& run, bool& ok) {
  std::array<double, kRuns> wall{}, cpu{};
  for (int i = 0; i < kRuns; ++i) {
    const double cpuStart = ThreadCpuMs();
    const auto start = std::chrono::steady_clock::now();
    ok = run() && ok;
    wall[i] =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    cpu[i] = ThreadCpuMs() - cpuStart;
  }
  std::sort(wall.begin(), wall.end());
  std::sort(cpu.begin(), cpu.end());
  return {wall[kRuns / 2], cpu[kRuns / 2]};
}

std::string Format(const Timing& t) {
  char text[64];
  std::snprintf(text, sizeof(text), "%.0f ms (%.0f)", t.wallMs, t.cpuMs);
  return text;
}

double SizeKb(const std::filesystem::path& file) {
  std::error_code error;
  const auto size = std::filesystem::file_size(file, error);
  return error ? -1.0 : static_cast<double>(size) / 1024.0;
}

}  // namespace
}  // namespace orv

int main(int argc, char** argv) {
  using namespace orv;
  if (argc != 2) {
    std::fprintf(stderr, "usage: export_gdiplus_win DIR\n");
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  const std::filesystem::path out =
      std::filesystem::temp_directory_path() / "orvanta-gdiplus-bench";
  std::filesystem::create_directories(out);
  std::printf("| picture | palette reduction | GDI+ GIF write | GIF in all | TIFF in all |\n");
  std::printf("|---|---|---|---|---|\n");
  bool ok = true;
  for (const char* name :
       {"screen-1920x1080", "photo-1920x1080", "screen-3840x2160", "photo-3840x2160"}) {
    const win::DibImage image = LoadBmp(folder / (std::string(name) + ".bmp"));
    if (!image) {
      std::fprintf(stderr, "cannot read %s.bmp in %s\n", name, argv[1]);
      return 1;
    }
    win::DibImage reduced = win::DibImage::Create(image.width(), image.height(), 8);
    std::array<std::uint32_t, 256> palette{};
    const Timing reduce = Median(
        [&] {
          MutableImageView target = reduced.View();
          target.colors = palette.data();
          return ReduceToPalette(image.View(), target);
        },
        ok);
    reduced.SetColors(palette);
    const std::filesystem::path gif = out / (std::string(name) + ".gif");
    const std::filesystem::path tif = out / (std::string(name) + ".tif");
    const Timing gdiGif = Median(
        [&] {
          return SaveWithGdiPlus(reduced.View(), gif.wstring(), GdiPlusFormat::Gif) ==
                 GdiPlusResult::Saved;
        },
        ok);
    const Timing wholeGif = Median(
        [&] {
          return WriteImageFile(image, gif.wstring(), ExportFormat::Gif) == SaveOutcome::Saved;
        },
        ok);
    const Timing wholeTif = Median(
        [&] {
          return WriteImageFile(image, tif.wstring(), ExportFormat::Tif) == SaveOutcome::Saved;
        },
        ok);
    std::printf("| %s | %s | %s | %s, %.0f KB | %s, %.0f KB |\n", name, Format(reduce).c_str(),
                Format(gdiGif).c_str(), Format(wholeGif).c_str(), SizeKb(gif),
                Format(wholeTif).c_str(), SizeKb(tif));
  }
  // What every GIF or TIFF save pays before encoding: loading, starting, shutting down and
  // unloading GDI+, shown with a tiny picture.
  win::DibImage tiny = win::DibImage::Create(16, 16, 8);
  const std::filesystem::path tinyGif = out / "tiny.gif";
  const Timing fixed = Median(
      [&] {
        return SaveWithGdiPlus(tiny.View(), tinyGif.wstring(), GdiPlusFormat::Gif) ==
               GdiPlusResult::Saved;
      },
      ok);
  std::printf("\nGDI+ load, start-up, 16x16 GIF, shutdown and unload: %s\n", Format(fixed).c_str());
  std::error_code ignored;
  std::filesystem::remove_all(out, ignored);
  return ok ? 0 : 1;
}
