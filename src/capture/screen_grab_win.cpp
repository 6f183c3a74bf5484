#include "capture/screen_grab_win.h"

#include <windows.h>

#include "app/images_win.h"
#include "imaging/copy_rect.h"
#include "win/system.h"
#include "win/unique_handle.h"

namespace orv {
namespace {

ScreenBounds bounds;

// Copies the screen into the grab buffer in one BitBlt. Since Windows 2000 CAPTUREBLT makes
// layered and translucent windows part of the copy.
void CopyScreenInto(win::DibImage& buffer) {
  const win::UniqueCreatedDc memory(CreateCompatibleDC(nullptr));
  if (!memory) return;  // the buffer stays black
  const win::SelectObjectGuard select(memory.get(), buffer.bitmap());
  const win::WindowDc screen(nullptr);
  if (!screen) return;
  const DWORD rop = win::IsWindows2000OrLater() ? (SRCCOPY | CAPTUREBLT) : SRCCOPY;
  BitBlt(memory.get(), 0, 0, bounds.width, bounds.height, screen.get(), bounds.left, bounds.top,
         rop);
  GdiFlush();  // the pixels are read directly from the section afterwards
}

}  // namespace

const ScreenBounds& VirtualScreen() {
  return bounds;
}

void RefreshScreenBounds() {
  const win::WindowDc screen(nullptr);
  RECT box{};
  GetClipBox(screen.get(), &box);
  bounds = {box.left, box.top, box.right - box.left, box.bottom - box.top};
}

void GrabScreen() {
  RefreshScreenBounds();
  Images::Free(ImageId::GrabBuffer);
  Images::Put(ImageId::GrabBuffer, win::DibImage::Create(bounds.width, bounds.height));
  RegrabScreen();
}

void RegrabScreen() {
  if (win::DibImage* buffer = Images::Get(ImageId::GrabBuffer)) CopyScreenInto(*buffer);
}

void CaptureFullScreen() {
  GrabScreen();
  // The whole grab buffer becomes the capture. Handing it over instead of copying it saves a
  // full-screen copy; the capture stays independent of later grabs, which make a new buffer.
  Images::Move(ImageId::GrabBuffer, ImageId::Capture);
}

win::DibImage CopyRect(const win::DibImage& source, int x, int y, int w, int h) {
  win::DibImage copy = win::DibImage::Create(w, h, source.bitsPerPixel());
  if (copy) CopyImageRect(source.View(), x, y, copy.View());
  return copy;
}

}  // namespace orv
