// What the selection overlay's drawing costs on a 4K (and a full-HD) screen: the dimmed picture
// drawn when the overlay opens, one rubber-band redraw that grows (cut-out and frame only, in
// proportion to the band) and one that shrinks (the whole dimmed screen again, then the band, or
// only what was drawn since the last whole dimming, as the overlay does), against a plain copy of
// the screen's bytes.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <random>

#include "capture/overlay_drawing.h"
#include "imaging/image.h"

namespace orv {
namespace {

// The frozen screen is 24-bit; the overlay's picture is in the screen's 32-bit format.
struct Screen {
  Image grab;
  Image canvas;
  Screen(int width, int height) : grab(width, height), canvas(width, height, 32) {
    std::mt19937 rng(1);
    for (std::uint8_t& byte : grab.bytes()) byte = static_cast<std::uint8_t>(rng());
    DrawDimmedScreen(grab.View(), canvas.View());
  }
};

// The two screens, made once: range(0) 1 is full HD, 2 is 4K.
Screen& ScreenOf(std::int64_t which) {
  static Screen hd(1920, 1080);
  static Screen uhd(3840, 2160);
  return which == 1 ? hd : uhd;
}

void SetBytes(benchmark::State& state, const Screen& screen) {
  state.SetBytesProcessed(state.iterations() *
                          static_cast<std::int64_t>(screen.grab.bytes().size()));
}

void BM_CopyScreen(benchmark::State& state) {
  Screen& screen = ScreenOf(state.range(0));
  for (auto _ : state) {
    std::memcpy(screen.canvas.bytes().data(), screen.grab.bytes().data(),
                screen.grab.bytes().size());
    benchmark::ClobberMemory();
  }
  SetBytes(state, screen);
}

void BM_DimmedScreen(benchmark::State& state) {
  Screen& screen = ScreenOf(state.range(0));
  for (auto _ : state) {
    DrawDimmedScreen(screen.grab.View(), screen.canvas.View());
    benchmark::ClobberMemory();
  }
  SetBytes(state, screen);
}

// A band from (100, 100) of band x band pixels, drawn over the dimmed screen.
RubberBand BandOf(int size, bool shrank) {
  return {{100, 100, size, size}, shrank, {100, 100, size, size}, {100, 87}};
}

void BM_BandGrows(benchmark::State& state) {
  Screen& screen = ScreenOf(2);
  const RubberBand band = BandOf(static_cast<int>(state.range(0)), false);
  for (auto _ : state) {
    benchmark::DoNotOptimize(DrawRubberBand(screen.grab.View(), screen.canvas.View(), band));
    benchmark::ClobberMemory();
  }
}

void BM_BandShrinks(benchmark::State& state) {
  Screen& screen = ScreenOf(2);
  const RubberBand band = BandOf(static_cast<int>(state.range(0)), true);
  for (auto _ : state) {
    benchmark::DoNotOptimize(DrawRubberBand(screen.grab.View(), screen.canvas.View(), band));
    benchmark::ClobberMemory();
  }
}

// The shrink as the overlay draws it: only what the bands drew since the screen was last dimmed
// whole is dimmed again, here a band 100 pixels larger each way.
void BM_BandShrinksToWhatWasDrawn(benchmark::State& state) {
  Screen& screen = ScreenOf(2);
  const int size = static_cast<int>(state.range(0));
  const RubberBand band = BandOf(size, true);
  const Rect drawn{100, 87, size + 100, size + 113};
  for (auto _ : state) {
    benchmark::DoNotOptimize(DrawRubberBand(screen.grab.View(), screen.canvas.View(), band, drawn));
    benchmark::ClobberMemory();
  }
}

BENCHMARK(BM_CopyScreen)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DimmedScreen)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BandGrows)->Arg(100)->Arg(500)->Arg(2000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BandShrinks)->Arg(100)->Arg(500)->Arg(2000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BandShrinksToWhatWasDrawn)
    ->Arg(100)
    ->Arg(500)
    ->Arg(2000)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace orv

BENCHMARK_MAIN();
