// The test build's side of the seam to monitors composed in floating point (built into
// orvanta-hdr-standin.exe, beside orvanta.exe): every monitor is one, at an SDR white of 250 nits.
// Its picture is the screen as GDI copies it, placed in scRGB as the system places SDR content,
// with one patch of highlights: an orange ramp from 1 to 10 times SDR white, left to right. Rows
// are padded beyond the pixels, as a driver may lay them out. scenarios/monitors.py knows these
// numbers.
#include <windows.h>

#include <cstdint>
#include <vector>

#include "capture/advanced_colour_win.h"
#include "imaging/scrgb_encoding.h"
#include "win/dib_image.h"
#include "win/unique_handle.h"

namespace orv {
namespace {

constexpr float kWhite = 3.125f;
constexpr Rect kPatch{200, 150, 120, 24};  // from the monitor's corner
constexpr float kPatchColour[3] = {1.0f, 0.35f, 0.05f};
constexpr std::ptrdiff_t kPadding = 40;

}  // namespace

std::vector<AdvancedColourMonitor> FindAdvancedColourMonitors() {
  std::vector<AdvancedColourMonitor> monitors;
  EnumDisplayMonitors(
      nullptr, nullptr,
      [](HMONITOR monitor, HDC, RECT* r, LPARAM found) -> BOOL {
        reinterpret_cast<std::vector<AdvancedColourMonitor>*>(found)->push_back(
            {monitor, {r->left, r->top, r->right - r->left, r->bottom - r->top}, kWhite});
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&monitors));
  return monitors;
}

bool ReadAdvancedColourPicture(const AdvancedColourMonitor& monitor,
                               const std::function<void(const ScRgbPicture&)>& use) {
  const Rect& place = monitor.place;
  win::DibImage screen = win::DibImage::Create(place.width, place.height);
  const win::UniqueCreatedDc memory(CreateCompatibleDC(nullptr));
  const win::WindowDc desktop(nullptr);
  if (!screen || !memory || !desktop) return false;
  {
    const win::SelectObjectGuard select(memory.get(), screen.bitmap());
    BitBlt(memory.get(), 0, 0, place.width, place.height, desktop.get(), place.x, place.y,
           SRCCOPY | CAPTUREBLT);
    GdiFlush();
  }
  const std::ptrdiff_t pitch = 8 * place.width + kPadding;
  std::vector<std::uint8_t> frame(pitch * place.height, 0xff);
  const ImageView pixels = screen.View();
  for (int y = 0; y < place.height; ++y) {
    for (int x = 0; x < place.width; ++x) {
      const std::uint8_t* bgr = pixels.Row(y) + 3 * x;
      auto* halves = reinterpret_cast<std::uint16_t*>(&frame[y * pitch + 8 * x]);
      scrgb_test::PlaceSdr(bgr[2], bgr[1], bgr[0], kWhite, halves);
      if (Contains(kPatch, {x, y})) {
        const float times = 1 + 9.0f * (x - kPatch.x) / (kPatch.width - 1);
        for (int c = 0; c < 3; ++c)
          halves[c] = scrgb_test::HalfOf(kPatchColour[c] * kWhite * times);
      }
    }
  }
  use({{place.width, place.height, pitch, frame.data()}, 0});
  return true;
}

}  // namespace orv
