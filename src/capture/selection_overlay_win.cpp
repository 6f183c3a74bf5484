#include "capture/selection_overlay_win.h"

#include <windows.h>

#include <utility>

#include "base/fault_location.h"
#include "capture/overlay_drawing.h"
#include "capture/screen_grab_win.h"
#include "capture/selection_win.h"
#include "runtime/app_state_win.h"
#include "runtime/event_queue_win.h"
#include "runtime/images_win.h"
#include "win/system.h"
#include "win/unique_handle.h"
#include "win/window_class.h"

namespace orv {
namespace {

constexpr wchar_t kOverlayClass[] = L"OrvantaOverlay";
constexpr wchar_t kOverlayTitle[] = L"Capturing...";

struct OverlayState {
  win::UniqueWindow window;  // destroying it destroys the canvas too
  HWND canvas = nullptr;
  win::DibImage picture;  // what the canvas shows; drawn in place, painted from here
  OverlaySelection selection;
};
OverlayState overlay;

// Turns the raw pointer messages into events of the overlay (window 2). The canvas that covers
// the whole overlay lets them through to it.
bool QueuePointerEvent(UINT message) {
  EventKind kind;
  switch (message) {
    case WM_MOUSEMOVE:
      kind = EventKind::MouseMove;
      break;
    case WM_LBUTTONDOWN:
      kind = EventKind::LeftButtonDown;
      break;
    case WM_LBUTTONUP:
      kind = EventKind::LeftButtonUp;
      break;
    default:
      return false;
  }
  App().Events.Queue({kind, static_cast<int>(WindowId::SelectionOverlay)});
  return true;
}

LRESULT CALLBACK OverlayProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (QueuePointerEvent(message)) return 0;
  if (message == WM_CLOSE) return 0;  // only a left-button release ends the selection
  // It lies over the physical pixels of every monitor, whatever their scales: a scale that
  // changes moves and resizes nothing.
  if (message == WM_DPICHANGED) return 0;
  return DefWindowProcW(window, message, wParam, lParam);
}

void RegisterClasses() {
  // No class cursors: the pointer shape the event loop sets stays in force over the overlay.
  // The stock grey brush is RGB(128, 128, 128) and is never deleted.
  win::RegisterWindowClass({kOverlayClass, OverlayProc, nullptr, nullptr,
                            static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH))});
  win::RegisterCanvasClass();
}

// Runs f with a memory device context that draws into the overlay's picture in the system font.
template <class F>
void WithPictureDc(F&& f) {
  const win::UniqueCreatedDc dc(CreateCompatibleDC(nullptr));
  if (!dc) return;
  const win::SelectObjectGuard selectPicture(dc.get(), overlay.picture.bitmap());
  const win::SelectObjectGuard selectFont(dc.get(), GetStockObject(SYSTEM_FONT));
  f(dc.get());
  GdiFlush();  // the core writes the pixels directly next time
}

}  // namespace

void OpenSelectionOverlay() {
  ORV_TRACE_LOCATION();
  CloseSelectionOverlay();
  const ScreenBounds screen = MeasureVirtualScreen();
  // In the screen's own 32-bit format, which the system paints without converting every pixel:
  // a shrinking band paints the whole picture again. Its pages are first written on a second
  // thread while this one waits for the copy of the screen.
  win::DibImage picture = win::DibImage::Create(screen.width, screen.height, 32);
  {
    const win::TouchPagesInBackground touch(picture.Memory());
    GrabScreen(screen);
  }
  RegisterClasses();
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  // Borderless and unowned: window and client area coincide, and the task bar lists it.
  overlay.window.reset(CreateWindowExW(0, kOverlayClass, kOverlayTitle, WS_POPUP | WS_CLIPCHILDREN,
                                       screen.left, screen.top, screen.width, screen.height,
                                       nullptr, nullptr, instance, nullptr));
  if (!overlay.window) return;  // no overlay: pointer steps act on nothing until the next trigger
  App().Events.RegisterWindow(WindowId::SelectionOverlay, overlay.window.get());
  overlay.canvas = win::CreateChildControl(overlay.window.get(), win::kCanvasClass, {}, 0,
                                           {0, 0, screen.width, screen.height}, 0, nullptr);
  ORV_TRACE_LOCATION();
  overlay.picture = std::move(picture);
  if (overlay.canvas) win::SetCanvasPicture(overlay.canvas, overlay.picture.bitmap());
  overlay.selection.screen = screen;
  ResetRegionSelection(overlay.selection.region);
  DrawDimmedBackground();

  ShowWindow(overlay.window.get(), SW_SHOWNORMAL);
  SetWindowPos(overlay.window.get(), HWND_TOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  // Shown is not yet active: a keyboard hook's key gives no right to the front.
  win::BringToFront(overlay.window.get());
  ShowOverlayChanges({});
}

void CloseSelectionOverlay() {
  if (!overlay.window) return;
  App().Events.UnregisterWindow(WindowId::SelectionOverlay);
  overlay.window.reset();
  overlay.canvas = nullptr;
  overlay.picture = {};
}

bool IsSelectionOverlayOpen() {
  return static_cast<bool>(overlay.window);
}

OverlaySelection& SelectionState() {
  return overlay.selection;
}

void DrawDimmedBackground() {
  const win::DibImage* grab = Images::Get(ImageId::GrabBuffer);
  if (!overlay.picture || !grab) return;
  ORV_TRACE_LOCATION();
  DrawDimmedScreen(grab->View(), overlay.picture.View());
  if (overlay.canvas) InvalidateRect(overlay.canvas, nullptr, FALSE);
}

win::DibImage* OverlayPicture() {
  return overlay.picture ? &overlay.picture : nullptr;
}

void HideSelectionOverlay() {
  if (overlay.window) ShowWindow(overlay.window.get(), SW_HIDE);
}

void ShowSelectionOverlay() {
  if (overlay.window) ShowWindow(overlay.window.get(), SW_SHOW);
}

void FocusSelectionOverlay() {
  if (overlay.window) SetFocus(overlay.window.get());
}

int SizeLabelTextHeight() {
  int height = 0;
  WithPictureDc([&height](HDC dc) {
    SIZE extent{};
    if (GetTextExtentPoint32W(dc, L"8", 1, &extent)) height = extent.cy;
  });
  return height;
}

Rect DrawSizeLabel(Point at, Size size) {
  Rect covered;
  if (!overlay.picture) return covered;
  const std::wstring text = SizeLabel(size);
  WithPictureDc([&](HDC dc) {
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, RGB(0, 0, 0));
    SetTextColor(dc, RGB(255, 255, 255));
    SIZE extent{};
    const int length = static_cast<int>(text.size());
    GetTextExtentPoint32W(dc, text.c_str(), length, &extent);
    TextOutW(dc, at.x, at.y, text.c_str(), length);
    covered = {at.x, at.y, extent.cx, extent.cy};
  });
  return ClipRect(covered, overlay.picture.size());
}

void ShowOverlayChanges(const Rect& changed) {
  if (!overlay.canvas) return;
  if (!IsEmptyRect(changed)) {
    const RECT r{changed.x, changed.y, changed.x + changed.width, changed.y + changed.height};
    InvalidateRect(overlay.canvas, &r, FALSE);
  }
  UpdateWindow(overlay.canvas);
}

Point OverlayPointerPosition() {
  POINT p{};
  RECT client{};
  if (!overlay.window || !GetCursorPos(&p) || !ScreenToClient(overlay.window.get(), &p) ||
      !GetClientRect(overlay.window.get(), &client) || p.x < 0 || p.y < 0 || p.x >= client.right ||
      p.y >= client.bottom) {
    return {-1, -1};
  }
  return {p.x, p.y};
}

}  // namespace orv
