#include "capture/selection_overlay_win.h"

#include <windows.h>

#include <windowsx.h>

#include <string>
#include <utility>

#include "base/fault_location.h"
#include "capture/overlay_drawing.h"
#include "win/system.h"
#include "win/unique_handle.h"
#include "win/window_class.h"

namespace orv {
namespace {

constexpr wchar_t kOverlayTitle[] = L"Capturing...";

// No class cursor: the pointer shape the event loop sets stays in force over the overlay. The
// stock grey brush is RGB(128, 128, 128) and is never deleted.
win::WindowClass OverlayClass() {
  return {L"OrvantaOverlay", nullptr, nullptr, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH))};
}

// Runs f with a memory device context that draws into picture in the system font.
template <class F>
void WithPictureDc(const win::DibImage& picture, F&& f) {
  const win::UniqueCreatedDc dc(CreateCompatibleDC(nullptr));
  if (!dc) return;
  const win::SelectObjectGuard selectPicture(dc.get(), picture.bitmap());
  const win::SelectObjectGuard selectFont(dc.get(), GetStockObject(SYSTEM_FONT));
  f(dc.get());
  GdiFlush();  // the core writes the pixels directly next time
}

}  // namespace

void SelectionOverlay::Open(CaptureMode mode) {
  ORV_TRACE_LOCATION();
  Close();
  mode_ = mode;
  screen_ = MeasureVirtualScreen();
  // In the screen's own 32-bit format, which the system paints without converting every pixel:
  // a shrinking band paints the whole picture again. Its pages are first written on a second
  // thread while this one waits for the copy of the screen.
  win::DibImage picture = win::DibImage::Create(screen_.width, screen_.height, 32);
  {
    const win::TouchPagesInBackground touch(picture.Memory());
    grab_ = GrabScreen(screen_);
  }
  win::RegisterCanvasClass();
  // Borderless and unowned: window and client area coincide, and the task bar lists it.
  const RECT frame{screen_.left, screen_.top, screen_.left + screen_.width,
                   screen_.top + screen_.height};
  if (!Create(OverlayClass(), 0, kOverlayTitle, WS_POPUP | WS_CLIPCHILDREN, frame)) {
    grab_ = {};
    return;  // no overlay: pointer steps act on nothing until the next trigger
  }
  canvas_ = win::CreateChildControl(Handle(), win::kCanvasClass, {}, 0,
                                    {0, 0, screen_.width, screen_.height}, 0, nullptr);
  ORV_TRACE_LOCATION();
  picture_ = std::move(picture);
  if (canvas_) win::SetCanvasPicture(canvas_, picture_.bitmap());
  ResetRegionSelection(region_);
  DrawDimmedBackground();

  ShowWindow(Handle(), SW_SHOWNORMAL);
  SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  // Shown is not yet active: a keyboard hook's key gives no right to the front.
  win::BringToFront(Handle());
  ShowChanges({});
}

void SelectionOverlay::Close() {
  if (!IsOpen()) return;
  Destroy();  // the canvas with it
  canvas_ = nullptr;
  picture_ = {};
  grab_ = {};
}

// Turns the raw pointer messages into events of the overlay (window 2). The canvas that covers
// the whole overlay lets them through to it.
LRESULT SelectionOverlay::Answer(UINT message, WPARAM wParam, LPARAM lParam) {
  const auto queue = [this, lParam](PointerAction action) {
    events_.Queue(PointerEvent{.window = WindowId::SelectionOverlay,
                               .action = action,
                               .at = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}});
    return 0;
  };
  switch (message) {
    case WM_MOUSEMOVE:
      return queue(PointerAction::Move);
    case WM_LBUTTONDOWN:
      return queue(PointerAction::LeftPress);
    case WM_LBUTTONUP:
      return queue(PointerAction::LeftRelease);
    case WM_CLOSE:
      return 0;  // only a left-button release ends the selection
    case WM_DPICHANGED:
      // It lies over the physical pixels of every monitor, whatever their scales: a scale that
      // changes moves and resizes nothing.
      return 0;
    default:
      return DefWindowProcW(Handle(), message, wParam, lParam);
  }
}

// The whole frozen screen, dimmed, becomes the overlay's picture.
void SelectionOverlay::DrawDimmedBackground() {
  if (!picture_ || !grab_) return;
  ORV_TRACE_LOCATION();
  DrawDimmedScreen(grab_.View(), picture_.View());
  if (canvas_) InvalidateRect(canvas_, nullptr, FALSE);
}

// Height of the text "8" in the size label's font.
int SelectionOverlay::SizeLabelTextHeight() {
  int height = 0;
  WithPictureDc(picture_, [&height](HDC dc) {
    SIZE extent{};
    if (GetTextExtentPoint32W(dc, L"8", 1, &extent)) height = extent.cy;
  });
  return height;
}

// Writes the size label (white on black, system font) with its top-left at `at`; returns the
// rectangle it covers.
Rect SelectionOverlay::DrawSizeLabel(Point at, Size size) {
  Rect covered;
  if (!picture_) return covered;
  const std::wstring text = SizeLabel(size);
  WithPictureDc(picture_, [&](HDC dc) {
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, RGB(0, 0, 0));
    SetTextColor(dc, RGB(255, 255, 255));
    SIZE extent{};
    const int length = static_cast<int>(text.size());
    GetTextExtentPoint32W(dc, text.c_str(), length, &extent);
    TextOutW(dc, at.x, at.y, text.c_str(), length);
    covered = {at.x, at.y, extent.cx, extent.cy};
  });
  return ClipRect(covered, picture_.size());
}

// Brings the changed part of the picture to the screen at once.
void SelectionOverlay::ShowChanges(const Rect& changed) {
  if (!canvas_) return;
  if (!IsEmptyRect(changed)) {
    const RECT r{changed.x, changed.y, changed.x + changed.width, changed.y + changed.height};
    InvalidateRect(canvas_, &r, FALSE);
  }
  UpdateWindow(canvas_);
}

// A pointer position of the overlay's (its coordinates are grab pixels); (-1, -1) when it lies
// outside the overlay.
Point SelectionOverlay::InOverlay(Point at) const {
  RECT client{};
  if (!IsOpen() || !GetClientRect(Handle(), &client) || at.x < 0 || at.y < 0 ||
      at.x >= client.right || at.y >= client.bottom) {
    return {-1, -1};
  }
  return at;
}

}  // namespace orv
