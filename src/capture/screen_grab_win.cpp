#include "capture/screen_grab_win.h"

#include <windows.h>

#include "base/fault_location.h"
#include "imaging/copy_rect.h"
#include "win/system.h"
#include "win/unique_handle.h"

namespace orv {
namespace {

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
