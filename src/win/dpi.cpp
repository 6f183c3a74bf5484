#include "win/dpi.h"

#include "base/scale.h"
#include "win/system.h"
#include "win/system_functions.h"

namespace orv::win {
namespace {

DWORD StyleOf(HWND window, int which) {
  return static_cast<DWORD>(GetWindowLongPtrW(window, which));
}

// Moves and sizes a window to an outer rectangle, leaving its place in front and its activation.
void PlaceWindow(HWND window, const RECT& frame) {
  SetWindowPos(window, nullptr, frame.left, frame.top, frame.right - frame.left,
               frame.bottom - frame.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

float PrimaryMonitorScale(float fallback) {
  const ShcoreFunctions shcore;
  if (!shcore.GetDpiForMonitor) return fallback;
  // The point (0, 0) always lies on the primary monitor.
  const HMONITOR primary = MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY);
  UINT dpiX = 0, dpiY = 0;
  if (FAILED(shcore.GetDpiForMonitor(primary, MDT_EFFECTIVE_DPI, &dpiX, &dpiY))) return fallback;
  return ScaleForDpi(static_cast<int>(dpiY), fallback);
}

int PrimarySmallIconSize() {
  const User32Functions user32;
  const float scale = PrimaryMonitorScale(0.0f);
  if (!user32.GetSystemMetricsForDpi || scale <= 0.0f) return GetSystemMetrics(SM_CXSMICON);
  return user32.GetSystemMetricsForDpi(SM_CXSMICON, static_cast<UINT>(DpiForScale(scale)));
}

Size DragSize(HWND window) {
  const User32Functions user32;
  if (!user32.GetSystemMetricsForDpi || !user32.GetDpiForWindow) {
    return {GetSystemMetrics(SM_CXDRAG), GetSystemMetrics(SM_CYDRAG)};
  }
  const UINT dpi = user32.GetDpiForWindow(window);
  return {user32.GetSystemMetricsForDpi(SM_CXDRAG, dpi),
          user32.GetSystemMetricsForDpi(SM_CYDRAG, dpi)};
}

float WindowScale(HWND window, float fallback) {
  const User32Functions user32;
  return user32.GetDpiForWindow
             ? ScaleForDpi(static_cast<int>(user32.GetDpiForWindow(window)), fallback)
             : fallback;
}

float SettleWindowScale(HWND window, Size baseClient, float expected) {
  const float scale = WindowScale(window, expected);
  if (scale != expected) {
    const Size client = ScaledSize(baseClient, scale);
    PlaceWindow(window, CentredFrame(client.width, client.height, StyleOf(window, GWL_STYLE),
                                     StyleOf(window, GWL_EXSTYLE), scale));
  }
  return scale;
}

Size FrameSize(Size client, DWORD style, DWORD exStyle, float scale) {
  RECT frame{0, 0, client.width, client.height};
  const User32Functions user32;
  if (!user32.AdjustWindowRectExForDpi ||
      !user32.AdjustWindowRectExForDpi(&frame, style, FALSE, exStyle,
                                       static_cast<UINT>(DpiForScale(scale)))) {
    frame = {0, 0, client.width, client.height};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  }
  return {frame.right - frame.left, frame.bottom - frame.top};
}

std::optional<LRESULT> AnswerScaleChange(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                         Size baseClient,
                                         const std::function<void(float)>& layOut) {
  if (message != WM_GETDPISCALEDSIZE && message != WM_DPICHANGED) return std::nullopt;
  // The size question carries the new resolution as it is; the change carries it for both axes,
  // of which the vertical one is what the program scales by.
  const int dpi = message == WM_GETDPISCALEDSIZE ? static_cast<int>(wParam) : HIWORD(wParam);
  const float scale = ScaleForDpi(dpi, 0.0f);
  if (scale <= 0.0f) return message == WM_DPICHANGED ? 0 : FALSE;  // nothing usable: as it is
  if (message == WM_GETDPISCALEDSIZE) {
    const Size frame = FrameSize(ScaledSize(baseClient, scale), StyleOf(window, GWL_STYLE),
                                 StyleOf(window, GWL_EXSTYLE), scale);
    *reinterpret_cast<SIZE*>(lParam) = {frame.width, frame.height};
    return TRUE;
  }
  PlaceWindow(window, *reinterpret_cast<const RECT*>(lParam));
  layOut(scale);
  return 0;
}

}  // namespace orv::win
