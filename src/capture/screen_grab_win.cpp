#include "capture/screen_grab_win.h"

#include <windows.h>

#include <cstddef>
#include <optional>

#include "base/fault_location.h"
#include "capture/advanced_colour.h"
#include "capture/advanced_colour_win.h"
#include "imaging/copy_rect.h"
#include "imaging/scrgb.h"
#include "win/system.h"
#include "win/unique_handle.h"

namespace orv {
namespace {

// A monitor whose desktop the system composes in floating point (HDR, automatic colour
// management) comes out of the GDI copy washed out and clipped: its own picture, converted as it
// shows on the screen, replaces that part of the copy. Where the picture cannot be had, the GDI
// copy stays.
void ReplaceAdvancedColourMonitors(win::DibImage& buffer, const ScreenBounds& screen) {
  const Rect grab{screen.left, screen.top, screen.width, screen.height};
  for (const AdvancedColourMonitor& monitor : FindAdvancedColourMonitors()) {
    const std::optional<Rect> place = PlaceInGrab(monitor.place, grab);
    if (!place) continue;
    MutableImageView part = buffer.View();
    part.top = part.Row(place->y) + std::ptrdiff_t{3} * place->x;
    part.width = place->width;
    part.height = place->height;
    ORV_TRACE_LOCATION();
    ReadAdvancedColourPicture(monitor, [&](const ScRgbPicture& picture) {
      ConvertScRgb(picture.pixels, monitor.sdrWhite, picture.clockwiseQuarterTurns, part);
    });
  }
}

// Copies the screen into the grab buffer in one BitBlt. Since Windows 2000 CAPTUREBLT makes
// layered and translucent windows part of the copy.
void CopyScreenInto(win::DibImage& buffer, const ScreenBounds& screen) {
  const win::UniqueCreatedDc memory(CreateCompatibleDC(nullptr));
  if (!memory) return;  // the buffer stays black
  const win::SelectObjectGuard select(memory.get(), buffer.bitmap());
  const win::WindowDc desktop(nullptr);
  if (!desktop) return;
  const DWORD rop = win::IsWindows2000OrLater() ? (SRCCOPY | CAPTUREBLT) : SRCCOPY;
  ORV_TRACE_LOCATION();
  BitBlt(memory.get(), 0, 0, screen.width, screen.height, desktop.get(), screen.left, screen.top,
         rop);
  GdiFlush();  // the pixels are read directly from the section afterwards
  ReplaceAdvancedColourMonitors(buffer, screen);
}

}  // namespace

ScreenBounds MeasureVirtualScreen() {
  const win::WindowDc desktop(nullptr);
  RECT box{};
  GetClipBox(desktop.get(), &box);
  return {box.left, box.top, box.right - box.left, box.bottom - box.top};
}

win::DibImage GrabScreen(const ScreenBounds& screen) {
  win::DibImage grab = win::DibImage::Create(screen.width, screen.height);
  RegrabScreen(grab, screen);
  return grab;
}

void RegrabScreen(win::DibImage& grab, const ScreenBounds& screen) {
  if (grab) CopyScreenInto(grab, screen);
}

win::DibImage CaptureFullScreen() {
  return GrabScreen(MeasureVirtualScreen());
}

win::DibImage CopyRect(const win::DibImage& source, int x, int y, int w, int h) {
  win::DibImage copy = win::DibImage::Create(w, h, source.bitsPerPixel());
  if (copy) CopyImageRect(source.View(), x, y, copy.View());
  return copy;
}

}  // namespace orv
