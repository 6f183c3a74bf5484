#include "capture/screen_grab_win.h"

#include <windows.h>

#include "win/unique_handle.h"

namespace orv {
namespace {

ScreenBounds bounds;

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

}  // namespace orv
