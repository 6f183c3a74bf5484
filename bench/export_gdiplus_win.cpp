// Export timing of the formats that go through GDI+ (GIF after the palette reduction, TIFF),
// for running under Wine or on Windows, where Google Benchmark is not built. Reads the BMP files
// that `export_bench --dump_images=DIR` writes and prints, per picture, the median wall time (and
// CPU time of the saving thread) of five runs of: the palette reduction alone, GDI+ writing the
// reduced GIF, the whole GIF save, the whole TIFF save, each with the file size; then the fixed
// cost of one GDI+ save.
//
// Usage: export_gdiplus_win.exe DIR (see bench/export_gdiplus_timing.sh)
#include <windows.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "imaging/reduce_to_palette.h"
#include "output/export_win.h"
#include "output/gdiplus_win.h"
#include "timing_win.h"
#include "win/dib_image.h"

namespace orv {
namespace {

using bench::Format;
using bench::LoadBmp;
using bench::Median;
using bench::Timing;

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
  for (const char* name : bench::kPictures) {
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
