// The selection overlay's pointer events: the rubber band of a region, the highlight of a picked
// window, and the capture cut out of the frozen screen at the release.
#include <windows.h>

#include <utility>

#include "base/fault_location.h"
#include "capture/overlay_drawing.h"
#include "capture/screen_grab_win.h"
#include "capture/selection.h"
#include "capture/selection_overlay_win.h"
#include "capture/window_bounds_win.h"
#include "win/system.h"

namespace orv {
namespace {

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

}  // namespace

void SelectionOverlay::ResetWindowPick() {
  ResetWindowSelection(pick_.geometry);
  pick_.current = nullptr;
  pick_.previous = nullptr;
  // Looked up for every pick rather than once: a restarted shell makes a new one.
  pick_.desktopIconView = FindDesktopIconView();
}

void SelectionOverlay::PointerMove(Point at) {
  if (!IsOpen()) return;
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
  if (!IsOpen()) return;
  if (mode_ == CaptureMode::ModeRegion) BeginRegionDrag(region_, InOverlay(at));
}

win::DibImage SelectionOverlay::LeftRelease(Point at) {
  if (!IsOpen()) return {};
  ORV_TRACE_LOCATION();
  switch (mode_) {
    case CaptureMode::ModeRegion: {
      const auto selection = FinishRegionDrag(region_, InOverlay(at), grab_.size());
      if (!selection) return {};  // the button was down before the overlay opened
      return EndSelection(*selection);
    }
    case CaptureMode::ModeWindow: {
      const auto selection = FinishWindowPick(pick_.geometry, ScreenOrigin());
      // A release always ends window picking, with a window highlighted or not.
      return EndSelection(selection.value_or(Rect{}));
    }
    case CaptureMode::ModeScreen:
      break;
  }
  return {};
}

// Closes the overlay and cuts the selection out of its grab; an empty selection cuts nothing.
win::DibImage SelectionOverlay::EndSelection(const Rect& selection) {
  win::DibImage grab = std::move(grab_);
  SetCursor(resources_.ArrowCursor);
  Close();
  if (IsEmptyRect(selection)) return {};
  return CutOut(std::move(grab), selection);
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
