// The test build's side of the seam (orvanta-hdr-standin.exe): every monitor is composed in scRGB
// at an SDR white of 250 nits, its picture the screen as GDI copies it, placed as the system places
// SDR content, with a patch of orange from 1 to 10 times SDR white, left to right, and rows padded
// as a driver may lay them out. scenarios/monitors.py knows these numbers.
#include <windows.h>

#include <vector>

#include "capture/advanced_colour_win.h"
#include "imaging/scrgb_encoding.h"
#include "win/dib_image.h"
#include "win/unique_handle.h"

namespace orv {

constexpr float kWhite = 3.125f;
constexpr Rect kPatch{200, 150, 120, 24};  // from the monitor's corner
constexpr float kPatchColour[3] = {1.0f, 0.35f, 0.05f};

std::vector<AdvancedColourMonitor> FindAdvancedColourMonitors() {
  std::vector<AdvancedColourMonitor> monitors;
  const auto add = [](HMONITOR monitor, HDC, RECT* r, LPARAM to) -> BOOL {
    reinterpret_cast<std::vector<AdvancedColourMonitor>*>(to)->push_back(
        {monitor, {r->left, r->top, r->right - r->left, r->bottom - r->top}, kWhite});
    return TRUE;
  };
  EnumDisplayMonitors(nullptr, nullptr, add, reinterpret_cast<LPARAM>(&monitors));
  return monitors;
}

bool ReadAdvancedColourPicture(const AdvancedColourMonitor& monitor,
                               const std::function<void(const ScRgbPicture&)>& use) {
  const Rect& at = monitor.place;
  win::DibImage screen = win::DibImage::Create(at.width, at.height);
  const win::UniqueCreatedDc memory(CreateCompatibleDC(nullptr));
  const win::WindowDc desktop(nullptr);
  if (!screen || !memory || !desktop) return false;
  {
    const win::SelectObjectGuard select(memory.get(), screen.bitmap());
    BitBlt(memory.get(), 0, 0, at.width, at.height, desktop.get(), at.x, at.y,
           SRCCOPY | CAPTUREBLT);
    GdiFlush();
  }
  const ImageView pixels = screen.View();
  const int pitch = 8 * at.width + 40;
  std::vector<std::uint8_t> frame(pitch * at.height, 0xff);
  for (int y = 0; y < at.height; ++y) {
    for (int x = 0; x < at.width; ++x) {
      const std::uint8_t* bgr = pixels.Row(y) + 3 * x;
      auto* halves = reinterpret_cast<std::uint16_t*>(&frame[y * pitch + 8 * x]);
      scrgb_test::PlaceSdr(bgr[2], bgr[1], bgr[0], kWhite, halves);
      for (int c = 0; c < 3 && Contains(kPatch, {x, y}); ++c) {
        const float times = 1 + 9.0f * (x - kPatch.x) / (kPatch.width - 1);
        halves[c] = scrgb_kernels::HalfOf(kPatchColour[c] * kWhite * times);
      }
    }
  }
  use({{at.width, at.height, pitch, frame.data()}, 0});
  return true;
}

}  // namespace orv
