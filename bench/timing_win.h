// What the Windows timing programs share (they run under Wine or on Windows, where Google
// Benchmark is not built): the pictures that `export_bench --dump_images=DIR` writes, read into
// DIB sections, and the median of a few timed runs.
#pragma once

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

#include "win/dib_image.h"

namespace orv::bench {

inline constexpr int kRuns = 5;

// A 24-bit bottom-up BMP as the program's own writer makes it, into a DIB section.
inline win::DibImage LoadBmp(const std::filesystem::path& file) {
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
inline double ThreadCpuMs() {
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

// Medians of wall and CPU time over `runs` calls of run (at most kRuns), each after an untimed
// call of prepare (when given); ok turns false when a call fails.
inline Timing Median(const std::function<bool()>& run, bool& ok,
                     const std::function<void()>& prepare = {}, int runs = kRuns) {
  runs = std::clamp(runs, 1, kRuns);
  std::array<double, kRuns> wall{}, cpu{};
  for (int i = 0; i < runs; ++i) {
    if (prepare) prepare();
    const double cpuStart = ThreadCpuMs();
    const auto start = std::chrono::steady_clock::now();
    ok = run() && ok;
    wall[i] =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    cpu[i] = ThreadCpuMs() - cpuStart;
  }
  std::sort(wall.begin(), wall.begin() + runs);
  std::sort(cpu.begin(), cpu.begin() + runs);
  return {wall[runs / 2], cpu[runs / 2]};
}

inline std::string Format(const Timing& t) {
  char text[64];
  std::snprintf(text, sizeof(text), "%.0f ms (%.0f)", t.wallMs, t.cpuMs);
  return text;
}

// The export benchmark's four pictures, by the names of their files.
inline constexpr const char* kPictures[] = {"screen-1920x1080", "photo-1920x1080",
                                            "screen-3840x2160", "photo-3840x2160"};

}  // namespace orv::bench
