// Speed of the image transforms on screen-sized pictures, against a plain copy of the same
// bytes. Two kinds of picture: a synthetic screenshot (flat panels, text-like strokes, a few
// gradients) and a noisy photo-like one. Each benchmark also reports the most heap memory it
// held at once. With --write-ppm=DIR the program instead writes the pictures as binary PPM
// files for bench/compare_imagemagick.py.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <new>
#include <string>
#include <utility>

#include "imaging/adaptive_palette.h"
#include "imaging/colour_filters.h"
#include "imaging/dim.h"
#include "imaging/image.h"
#include "imaging/palette_mapping.h"
#include "imaging/reduce_to_palette.h"
#include "imaging/rotate.h"
#include "imaging/scrgb.h"
#include "imaging/scrgb_encoding.h"

// Heap accounting: every allocation carries its size in front, so the live total and its peak
// are known exactly.
namespace {
std::atomic<std::size_t> liveBytes{0};
std::atomic<std::size_t> peakBytes{0};
constexpr std::size_t kHeader = alignof(std::max_align_t);

void* Allocate(std::size_t size) {
  void* block = std::malloc(size + kHeader);
  if (block == nullptr) throw std::bad_alloc();
  *static_cast<std::size_t*>(block) = size;
  const std::size_t live = liveBytes += size;
  std::size_t peak = peakBytes.load();
  while (live > peak && !peakBytes.compare_exchange_weak(peak, live)) {
  }
  return static_cast<char*>(block) + kHeader;
}
void Release(void* p) noexcept {
  if (p == nullptr) return;
  void* block = static_cast<char*>(p) - kHeader;
  liveBytes -= *static_cast<std::size_t*>(block);
  std::free(block);
}
}  // namespace

void* operator new(std::size_t size) {
  return Allocate(size);
}
void* operator new[](std::size_t size) {
  return Allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return Allocate(size);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
  return operator new(size, tag);
}
void operator delete(void* p) noexcept {
  Release(p);
}
void operator delete[](void* p) noexcept {
  Release(p);
}
void operator delete(void* p, std::size_t) noexcept {
  Release(p);
}
void operator delete[](void* p, std::size_t) noexcept {
  Release(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
  Release(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
  Release(p);
}

namespace orv {
namespace {

// A small fixed generator, so every run and the PPM files see the same pictures.
struct Random {
  std::uint64_t state;
  std::uint32_t Next() {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<std::uint32_t>(state >> 33);
  }
  int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint32_t>(n)); }
};

void Put(const MutableImageView& image, int x, int y, int r, int g, int b) {
  std::uint8_t* p = image.Row(y) + 3 * x;
  p[0] = static_cast<std::uint8_t>(b);
  p[1] = static_cast<std::uint8_t>(g);
  p[2] = static_cast<std::uint8_t>(r);
}

void FillRect(const MutableImageView& image, int x0, int y0, int x1, int y1, int r, int g, int b) {
  for (int y = std::max(y0, 0); y < std::min(y1, image.height); ++y) {
    for (int x = std::max(x0, 0); x < std::min(x1, image.width); ++x) Put(image, x, y, r, g, b);
  }
}

// Desktop gradient, overlapping windows with gradient title bars, flat side panels and
// buttons, and lines of glyph-like strokes whose edges carry a few anti-aliasing greys.
Image MakeScreenshot(int width, int height) {
  Image image(width, height);
  const MutableImageView v = image.View();
  for (int y = 0; y < height; ++y) {
    const int shade = 40 + 80 * y / height;
    for (int x = 0; x < width; ++x) Put(v, x, y, 10, shade / 2, shade + 60);
  }
  Random random{12345};
  const int windows = 6 * (width / 1920) * (height / 1080) + 3;
  for (int w = 0; w < windows; ++w) {
    const int ww = width / 4 + random.Below(width / 3), wh = height / 4 + random.Below(height / 3);
    const int wx = random.Below(width - ww / 2), wy = random.Below(height - wh / 2);
    FillRect(v, wx - 1, wy - 1, wx + ww + 1, wy + wh + 1, 160, 160, 160);  // border
    for (int y = wy; y < std::min(wy + 30, height); ++y) {                 // title bar
      for (int x = std::max(wx, 0); x < std::min(wx + ww, width); ++x) {
        const int t = (x - wx) * 255 / ww;
        Put(v, x, y, 0 + t / 4, 60 + t / 3, 180 - t / 5);
      }
    }
    FillRect(v, wx, wy + 30, wx + ww, wy + wh, 255, 255, 255);      // client area
    FillRect(v, wx, wy + 30, wx + ww / 5, wy + wh, 240, 240, 240);  // side panel
    FillRect(v, wx + ww - 110, wy + wh - 40, wx + ww - 20, wy + wh - 15, 225, 225, 225);
    // Text: glyph cells of 7 x 14 on lines 18 pixels apart.
    const int inks[][3] = {{0, 0, 0}, {30, 30, 30}, {0, 90, 200}};
    for (int line = wy + 40; line + 14 < wy + wh - 50 && line + 14 < height; line += 18) {
      const int* ink = inks[random.Below(3)];
      const int lineEnd = wx + ww / 5 + 10 + random.Below(ww * 3 / 4);
      for (int cx = wx + ww / 5 + 10; cx + 7 < std::min(lineEnd, width); cx += 8) {
        if (random.Below(6) == 0) continue;  // a space
        for (int s = 0; s < 3; ++s) {
          const bool vertical = random.Below(2) == 0;
          const int sx = cx + random.Below(6), sy = line + random.Below(10);
          for (int k = 0; k < (vertical ? 10 : 5); ++k) {
            const int x = vertical ? sx : cx + k, y = vertical ? line + 2 + k : sy;
            if (x < 0 || y < 0 || x >= width || y >= height) continue;
            Put(v, x, y, ink[0], ink[1], ink[2]);
            const int edge = vertical ? x + 1 : x;  // a half-covered neighbour
            const int edgeY = vertical ? y : y + 1;
            if (edge < width && edgeY < height) {
              Put(v, edge, edgeY, (ink[0] + 255) / 2, (ink[1] + 255) / 2, (ink[2] + 255) / 2);
            }
          }
        }
      }
    }
  }
  return image;
}

// Smooth colour fields with per-pixel noise: nearly every pixel a different colour.
Image MakePhoto(int width, int height) {
  Image image(width, height);
  const MutableImageView v = image.View();
  Random random{777};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const double u = static_cast<double>(x) / width, w = static_cast<double>(y) / height;
      const auto channel = [&](double base) {
        const int c = static_cast<int>(base) + random.Below(49) - 24;
        return std::clamp(c, 0, 255);
      };
      Put(v, x, y, channel(128 + 100 * std::sin(6 * u + 2 * w)),
          channel(120 + 90 * std::cos(5 * w - 3 * u)), channel(110 + 80 * std::sin(9 * u * w)));
    }
  }
  return image;
}

struct Size {
  int width, height;
};
constexpr Size kSizes[] = {{1920, 1080}, {3840, 2160}, {7680, 2160}};
constexpr const char* kKinds[] = {"screenshot", "photo"};

const Image& Picture(const std::string& kind, Size size) {
  static std::map<std::string, std::unique_ptr<Image>> cache;
  const std::string key = kind + std::to_string(size.width) + "x" + std::to_string(size.height);
  std::unique_ptr<Image>& image = cache[key];
  if (!image) {
    image = std::make_unique<Image>(kind == "photo" ? MakePhoto(size.width, size.height)
                                                    : MakeScreenshot(size.width, size.height));
  }
  return *image;
}

// Runs `body` in the timing loop and records bytes processed and the peak heap held by one
// call on top of what was live before it.
template <typename Body>
void Measure(benchmark::State& state, const Image& picture, Body body) {
  const std::size_t before = liveBytes.load();
  peakBytes = before;
  for (auto _ : state) body();
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(picture.bytes().size()));
  state.counters["peak_heap"] =
      benchmark::Counter(static_cast<double>(peakBytes.load() - before),
                         benchmark::Counter::kDefaults, benchmark::Counter::OneK::kIs1024);
}

void Register(const char* kind, Size size) {
  const std::string suffix = std::string("/") + kind + "/" + std::to_string(size.width) + "x" +
                             std::to_string(size.height);
  const auto add = [&](const char* name, auto run) {
    benchmark::RegisterBenchmark((name + suffix).c_str(),
                                 [=](benchmark::State& state) { run(state, Picture(kind, size)); })
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
  };
  add("memcpy", [](benchmark::State& state, const Image& picture) {
    Image copy(picture.width(), picture.height());
    Measure(state, picture, [&] {
      std::memcpy(copy.bytes().data(), picture.bytes().data(), picture.bytes().size());
      benchmark::ClobberMemory();
    });
  });
  add("rotate", [](benchmark::State& state, const Image& picture) {
    Image turned(picture.height(), picture.width());
    Measure(state, picture, [&] { RotateQuarterTurnLeft(picture.View(), turned.View()); });
  });
  // The in-place filters work on a copy so the shared picture stays as made; their speed does
  // not depend on the pixel values.
  add("grey", [](benchmark::State& state, const Image& picture) {
    Image work = picture;
    Measure(state, picture, [&] { MakeGrey(work.View()); });
  });
  add("negative", [](benchmark::State& state, const Image& picture) {
    Image work = picture;
    Measure(state, picture, [&] { MakeNegative(work.View()); });
  });
  add("dim", [](benchmark::State& state, const Image& picture) {
    Image work = picture;
    Measure(state, picture, [&] { DimHalfwayToGrey(work.View()); });
  });
  add("dim_into", [](benchmark::State& state, const Image& picture) {
    Image canvas(picture.width(), picture.height());
    Measure(state, picture, [&] { DimHalfwayToGrey(picture.View(), canvas.View()); });
  });
  add("palette_build", [](benchmark::State& state, const Image& picture) {
    Measure(state, picture,
            [&] { benchmark::DoNotOptimize(BuildAdaptivePalette(picture.View())); });
  });
  add("palette_map", [](benchmark::State& state, const Image& picture) {
    const Palette palette = *BuildAdaptivePalette(picture.View());
    Image reduced(picture.width(), picture.height(), 8);
    Measure(state, picture, [&] { MapToPalette(picture.View(), palette, reduced.View()); });
  });
  add("reduce_to_palette", [](benchmark::State& state, const Image& picture) {
    Image reduced(picture.width(), picture.height(), 8);
    Measure(state, picture, [&] { ReduceToPalette(picture.View(), reduced.View()); });
  });
}

// A picture as an HDR desktop composes it, in scRGB half floats (8 bytes a pixel) at an SDR white
// of 200 nits: as SDR content, or (hdr) with every pixel 0.5 to 8 times as bright and one in eight
// outside the sRGB gamut, which takes every pixel through the slower steps.
std::vector<std::uint16_t> ScRgbFrame(const Image& picture, bool hdr) {
  constexpr float kWhite = 2.5f;
  std::vector<std::uint16_t> halves(4 * static_cast<std::size_t>(picture.width()) *
                                    picture.height());
  const ImageView view = picture.View();
  std::uint16_t* out = halves.data();
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x, out += 4) {
      const std::uint8_t* p = view.Row(y) + 3 * x;
      scrgb_test::PlaceSdr(p[2], p[1], p[0], kWhite, out);
      if (!hdr) continue;
      const float k = 0.5f + 7.5f * static_cast<float>(x) / picture.width();
      for (int c = 0; c < 3; ++c) {
        const float linear = scrgb_test::LinearOf(p[2 - c]) * kWhite * k;
        out[c] = scrgb_kernels::HalfOf((x + y) % 8 == 0 && c == 2 ? -0.1f * linear : linear);
      }
    }
  }
  return halves;
}

// Converting a 4K desktop composed in scRGB, against a plain copy of its 66 MB.
void RegisterScRgb() {
  constexpr Size size{3840, 2160};
  const auto add = [&](const std::string& name, auto run) {
    benchmark::RegisterBenchmark(name.c_str(), run)->Unit(benchmark::kMillisecond)->UseRealTime();
  };
  const auto frameBytes = [](const std::vector<std::uint16_t>& frame) {
    return static_cast<std::int64_t>(frame.size() * sizeof frame[0]);
  };
  add("memcpy_scrgb/3840x2160", [=](benchmark::State& state) {
    const std::vector<std::uint16_t> frame = ScRgbFrame(Picture("screenshot", size), false);
    std::vector<std::uint16_t> copy(frame.size());
    for (auto _ : state) {
      std::memcpy(copy.data(), frame.data(), frame.size() * sizeof frame[0]);
      benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * frameBytes(frame));
  });
  // SDR content: a desktop (flat areas, text), a photo (every pixel another colour); then the
  // photo as highlights and colours outside the gamut.
  const std::pair<const char*, const char*> frames[] = {
      {"sdr_desktop", "screenshot"}, {"sdr_photo", "photo"}, {"hdr_photo", "photo"}};
  for (const auto& [name, picture] : frames) {
    const bool hdr = name == std::string("hdr_photo");
    add(std::string("scrgb_to_srgb/") + name + "/3840x2160", [=](benchmark::State& state) {
      const std::vector<std::uint16_t> frame = ScRgbFrame(Picture(picture, size), hdr);
      const ScRgbView src{size.width, size.height, 8 * size.width,
                          reinterpret_cast<const std::uint8_t*>(frame.data())};
      Image converted(size.width, size.height);
      for (auto _ : state) ConvertScRgb(src, 2.5f, 0, converted.View());
      state.SetBytesProcessed(state.iterations() * frameBytes(frame));
    });
  }
}

bool WritePpm(const Image& image, const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  std::fprintf(file, "P6\n%d %d\n255\n", image.width(), image.height());
  std::string row(static_cast<std::size_t>(image.width()) * 3, '\0');
  const ImageView view = image.View();
  for (int y = 0; y < image.height(); ++y) {
    const std::uint8_t* p = view.Row(y);
    for (int x = 0; x < image.width(); ++x) {
      row[3 * x] = static_cast<char>(p[3 * x + 2]);
      row[3 * x + 1] = static_cast<char>(p[3 * x + 1]);
      row[3 * x + 2] = static_cast<char>(p[3 * x]);
    }
    std::fwrite(row.data(), 1, row.size(), file);
  }
  return std::fclose(file) == 0;
}

}  // namespace
}  // namespace orv

int main(int argc, char** argv) {
  using namespace orv;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind("--write-ppm=", 0) == 0) {
      const std::string dir = arg.substr(12);
      for (const char* kind : kKinds) {
        for (const Size size : kSizes) {
          const std::string path = dir + "/" + kind + "-" + std::to_string(size.width) + "x" +
                                   std::to_string(size.height) + ".ppm";
          if (!WritePpm(Picture(kind, size), path)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
          }
        }
      }
      return 0;
    }
  }
  for (const char* kind : kKinds) {
    for (const Size size : kSizes) Register(kind, size);
  }
  RegisterScRgb();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
