#include "capture/selection_overlay_win.h"

#include <windows.h>

#include <windowsx.h>

#include <string>
#include <utility>

#include "base/fault_location.h"
#include "capture/overlay_drawing.h"
#include "capture/window_bounds_win.h"
#include "win/system.h"
#include "win/unique_handle.h"
#include "win/window_class.h"

namespace orv {
namespace {

constexpr wchar_t kOverlayTitle[] = L"Capturing...";

// No class cursor: the overlay sets the pointer's shape for its mode. The stock grey brush is
// RGB(128, 128, 128) and is never deleted.
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

Edges EdgesOf(const RECT& r) {
  return {r.left, r.top, r.right, r.bottom};
}

// The desktop's icon view: the list view in the shell's "SHELLDLL_DefView" window.
HWND FindDesktopIconView() {
  if (const HWND view = FindWindowExW(GetShellWindow(), nullptr, L"SHELLDLL_DefView", nullptr)) {
    if (const HWND list = FindWindowExW(view, nullptr, L"SysListView32", nullptr)) return list;
  }
  // Since Windows 7 the icon view often hangs below one of the "WorkerW" windows instead.
  HWND view = nullptr;
  for (HWND worker = FindWindowExW(GetDesktopWindow(), nullptr, L"WorkerW", nullptr);
       worker && !view; worker = FindWindowExW(GetDesktopWindow(), worker, L"WorkerW", nullptr)) {
    view = FindWindowExW(worker, nullptr, L"SHELLDLL_DefView", nullptr);
  }
  return view ? FindWindowExW(view, nullptr, L"SysListView32", nullptr) : nullptr;
}

// The selection cut out of the frozen screen. The whole grab is handed over rather than copied:
// the overlay is closed, and the next grab makes a new one. A part is copied, and the grab let
// go then: nothing reads it again. Empty when the copy cannot be made.
win::DibImage CutOut(win::DibImage grab, const Rect& r) {
  if (!grab) return {};
  ORV_TRACE_LOCATION();
  if (r == Rect{0, 0, grab.width(), grab.height()}) return grab;
  return CopyRect(grab, r.x, r.y, r.width, r.height);
}

Point PointOf(LPARAM lParam) {
  return {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}

}  // namespace

void SelectionOverlay::Open(CaptureMode mode) {
  ORV_TRACE_LOCATION();
  Close();
  mode_ = mode;
  if (mode_ == CaptureMode::ModeWindow) ResetWindowPick();
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
  selected_ = false;
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

// The pointer over the overlay is its own: the canvas that covers it lets the pointer's messages
// through to it. Once the selection is queued, the pointer no longer counts.
LRESULT SelectionOverlay::Answer(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SETCURSOR:
      if (LOWORD(lParam) != HTCLIENT) break;
      SetCursor(mode_ == CaptureMode::ModeWindow ? resources_.HandCursor : resources_.CrossCursor);
      return TRUE;
    case WM_MOUSEMOVE:
      if (!selected_) PointerMove(PointOf(lParam));
      return 0;
    case WM_LBUTTONDOWN:
      if (!selected_) LeftPress(PointOf(lParam));
      return 0;
    case WM_LBUTTONUP:
      if (!selected_) LeftRelease(PointOf(lParam));
      return 0;
    case WM_CLOSE:
      return 0;  // only a left-button release ends the selection
    case WM_DPICHANGED:
      // It lies over the physical pixels of every monitor, whatever their scales: a scale that
      // changes moves and resizes nothing.
      return 0;
    default:
      break;
  }
  return DefWindowProcW(Handle(), message, wParam, lParam);
}

void SelectionOverlay::PointerMove(Point at) {
  ORV_TRACE_LOCATION();
  switch (mode_) {
    case CaptureMode::ModeRegion:
      if (TakeBandRedrawTurn(region_)) DrawBand(at);
      break;
    case CaptureMode::ModeWindow: {
      POINT pointer{};
      GetCursorPos(&pointer);
      if (IsOutsideRect(pick_.geometry.lastWindowRect, {pointer.x, pointer.y})) {
        PickWindowAt(pointer);
      }
      // Picking is expensive and windows need time to come forward: moves are taken slowly.
      win::Pause(600);
      break;
    }
    case CaptureMode::ModeScreen:
      break;
  }
}

void SelectionOverlay::LeftPress(Point at) {
  if (mode_ == CaptureMode::ModeRegion) BeginRegionDrag(region_, InOverlay(at));
}

void SelectionOverlay::LeftRelease(Point at) {
  ORV_TRACE_LOCATION();
  switch (mode_) {
    case CaptureMode::ModeRegion:
      if (const auto selection = FinishRegionDrag(region_, InOverlay(at), grab_.size())) {
        QueueSelection(selection);
      }
      break;
    case CaptureMode::ModeWindow:
      QueueSelection(FinishWindowPick(pick_.geometry, ScreenOrigin()));
      break;
    case CaptureMode::ModeScreen:
      break;
  }
}

void SelectionOverlay::QueueSelection(const std::optional<Rect>& cutOut) {
  selected_ = true;
  events_.Queue(
      SelectionEvent{.cutOut = cutOut && !IsEmptyRect(*cutOut) ? cutOut : std::optional<Rect>()});
}

win::DibImage SelectionOverlay::EndSelection(const std::optional<Rect>& cutOut) {
  win::DibImage grab = std::move(grab_);
  Close();
  if (!cutOut) return {};
  return CutOut(std::move(grab), *cutOut);
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

void SelectionOverlay::ResetWindowPick() {
  ResetWindowSelection(pick_.geometry);
  pick_.current = nullptr;
  pick_.previous = nullptr;
  // Looked up for every pick rather than once: a restarted shell makes a new one.
  pick_.desktopIconView = FindDesktopIconView();
}

void SelectionOverlay::DrawBand(Point at) {
  if (!picture_ || !grab_) return;
  ORV_TRACE_LOCATION();
  const RubberBand band = UpdateRubberBand(region_, InOverlay(at), SizeLabelTextHeight());
  // A band that shrank dims again, and paints, only what the bands and labels drew since the
  // screen was last dimmed whole, not the whole screen: the rest did not change.
  const Rect changed = DrawRubberBand(grab_.View(), picture_.View(), band, region_.drawn);
  const Rect label =
      DrawSizeLabel(band.labelPosition, {band.selection.width, band.selection.height});
  region_.drawn =
      DrawnSinceDim(region_.drawn, band, UnionRect(RubberBandArea(band, picture_.size()), label));
  ShowChanges(UnionRect(changed, label));
}

// Measures the picked window and draws it highlighted on the dimmed screen, as it is drawn: since
// Windows 10 a top-level window has invisible resize borders, which are left out, and a maximised
// one reaches past its monitor, which is cut off.
void SelectionOverlay::HighlightPickedWindow() {
  RECT windowRect{};
  Edges window = pick_.geometry.windowRect;  // a window that is gone leaves the rectangles
  if (GetWindowRect(pick_.current, &windowRect)) window = EdgesOf(windowRect);
  // GWLP_HWNDPARENT (-8) reads the owner of a top-level window and the parent of a child.
  const bool unowned = GetWindowLongPtrW(pick_.current, GWLP_HWNDPARENT) == 0;
  const bool windows10 = win::IsWindows10OrLater();
  if (windows10 && unowned) {
    RECT client{};
    if (GetClientRect(pick_.current, &client)) pick_.client = EdgesOf(client);
  }
  const int border = WindowBorder(windows10, unowned, window, pick_.client);
  const Edges bounds =
      PickedWindowBounds(DescribePickedWindow(pick_.current, window, border, screen_));
  RecordPickedWindow(pick_.geometry, window, bounds);

  DrawDimmedBackground();
  if (!picture_ || !grab_) return;
  const Rect selection = WindowSelectionRect(bounds, ScreenOrigin());
  ORV_TRACE_LOCATION();
  DrawHighlight(grab_.View(), picture_.View(), selection);
  DrawSizeLabel(WindowLabelPosition(selection), {selection.width, selection.height});
}

// The window under the pointer, raised and grabbed again so that the frozen screen shows it in
// front; the desktop's icon view is never picked and keeps the previous window highlighted.
void SelectionOverlay::PickWindowAt(POINT pointer) {
  pick_.previous = pick_.current;
  ShowWindow(Handle(), SW_HIDE);
  ORV_TRACE_LOCATION();
  HWND found = WindowFromPoint(pointer);
  if (!found || found == pick_.desktopIconView) {
    found = pick_.previous;
  } else {
    BringWindowToTop(found);
    win::BringToFront(GetAncestor(found, GA_ROOT));  // the picked control's own window
    win::Pause(400);
    SetFocus(Handle());
    RegrabScreen(grab_, screen_);
  }
  pick_.current = found;
  // Drawn while hidden, so that the overlay comes back with the new highlight rather than
  // flashing the old one. Over the desktop before any pick there is nothing to highlight.
  if (pick_.current) HighlightPickedWindow();
  ShowWindow(Handle(), SW_SHOW);
  ShowChanges({});
}

}  // namespace orv
