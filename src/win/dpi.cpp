#include "win/dpi.h"

#include <shellscalingapi.h>

#include "base/scale.h"
#include "win/system.h"

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
  const UniqueModule shcore = LoadSystemLibrary(L"shcore.dll");
  const auto dpiForMonitor =
      shcore ? GetProc<decltype(&GetDpiForMonitor)>(shcore.get(), "GetDpiForMonitor") : nullptr;
  if (!dpiForMonitor) return fallback;
  // The point (0, 0) always lies on the primary monitor.
  const HMONITOR primary = MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY);
  UINT dpiX = 0, dpiY = 0;
  if (FAILED(dpiForMonitor(primary, MDT_EFFECTIVE_DPI, &dpiX, &dpiY))) return fallback;
  return ScaleForDpi(static_cast<int>(dpiY), fallback);
}

int PrimarySmallIconSize() {
  const auto metricsForDpi = GetProc<decltype(&GetSystemMetricsForDpi)>(
      GetModuleHandleW(L"user32.dll"), "GetSystemMetricsForDpi");
  const float scale = PrimaryMonitorScale(0.0f);
  if (!metricsForDpi || scale <= 0.0f) return GetSystemMetrics(SM_CXSMICON);
  return metricsForDpi(SM_CXSMICON, static_cast<UINT>(DpiForScale(scale)));
}

float WindowScale(HWND window, float fallback) {
  // user32 is loaded for as long as the program runs; looking it up takes no reference.
  const auto dpiForWindow =
      GetProc<decltype(&GetDpiForWindow)>(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow");
  return dpiForWindow ? ScaleForDpi(static_cast<int>(dpiForWindow(window)), fallback) : fallback;
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
  const auto adjustForDpi = GetProc<decltype(&AdjustWindowRectExForDpi)>(
      GetModuleHandleW(L"user32.dll"), "AdjustWindowRectExForDpi");
  if (!adjustForDpi ||
      !adjustForDpi(&frame, style, FALSE, exStyle, static_cast<UINT>(DpiForScale(scale)))) {
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
