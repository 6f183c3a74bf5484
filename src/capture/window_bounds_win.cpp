#include "capture/window_bounds_win.h"

#include "win/system_functions.h"

namespace orv {
namespace {

Edges EdgesOf(const RECT& r) {
  return {r.left, r.top, r.right, r.bottom};
}

// The bounds the compositor draws of a top-level window, in physical pixels like everything
// else here; nothing without composition (Windows 7 with it switched off, and older) or when it
// does not say. dwmapi is loaded for the one question, from the system folder only.
std::optional<Edges> DrawnBounds(HWND window) {
  if (GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD) return std::nullopt;
  const win::DwmFunctions dwm;
  BOOL composition = FALSE;
  if (!dwm.DwmIsCompositionEnabled || !dwm.DwmGetWindowAttribute ||
      FAILED(dwm.DwmIsCompositionEnabled(&composition)) || !composition) {
    return std::nullopt;
  }
  RECT bounds{};
  if (FAILED(dwm.DwmGetWindowAttribute(window, DWMWA_EXTENDED_FRAME_BOUNDS, &bounds,
                                       sizeof(bounds))) ||
      bounds.right <= bounds.left || bounds.bottom <= bounds.top) {
    return std::nullopt;
  }
  return EdgesOf(bounds);
}

}  // namespace

PickedWindow DescribePickedWindow(HWND window, const Edges& windowRect, int border,
                                  const ScreenBounds& screen) {
  PickedWindow picked;
  picked.windowRect = windowRect;
  picked.drawnBounds = DrawnBounds(window);
  picked.border = border;
  picked.maximised = IsZoomed(window) != FALSE;
  picked.virtualScreen = {screen.left, screen.top, screen.left + screen.width,
                          screen.top + screen.height};
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  const HMONITOR handle = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
  picked.monitor = handle && GetMonitorInfoW(handle, &monitor) ? EdgesOf(monitor.rcMonitor)
                                                               : picked.virtualScreen;
  return picked;
}

}  // namespace orv
