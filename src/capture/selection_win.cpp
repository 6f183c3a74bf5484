#include "capture/selection_win.h"

#include <windows.h>

#include <utility>

#include "base/fault_location.h"
#include "capture/overlay_drawing.h"
#include "capture/screen_grab_win.h"
#include "capture/selection.h"
#include "capture/selection_overlay_win.h"
#include "capture/window_bounds_win.h"
#include "runtime/app_state_win.h"
#include "runtime/images_win.h"
#include "win/system.h"

namespace orv {
namespace {

Edges EdgesOf(const RECT& r) {
  return {r.left, r.top, r.right, r.bottom};
}

Point ScreenOrigin() {
  const ScreenBounds& screen = SelectionState().screen;
  return {screen.left, screen.top};
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

// Cuts the selection out of the frozen screen into the capture image. The whole buffer is
// handed over rather than copied: the overlay is closed, and the next grab makes a new buffer.
// A part is copied, and the buffer let go then: nothing reads it again, and kept it would hold
// a whole screen's worth of memory until the next capture.
bool CaptureFromGrabBuffer(const Rect& r) {
  win::DibImage* grab = Images::Get(ImageId::GrabBuffer);
  if (!grab) return false;
  ORV_TRACE_LOCATION();
  if (r == Rect{0, 0, grab->width(), grab->height()}) {
    Images::Move(ImageId::GrabBuffer, ImageId::Capture);
    return true;
  }
  win::DibImage capture = CopyRect(*grab, r.x, r.y, r.width, r.height);
  Images::Free(ImageId::GrabBuffer);
  if (!capture) return false;  // the old capture image, if any, stays as it was
  Images::Put(ImageId::Capture, std::move(capture));
  return true;
}

void EndSelection() {
  SetCursor(App().ArrowCursor);
  CloseSelectionOverlay();
}

void DrawBand() {
  win::DibImage* picture = OverlayPicture();
  const win::DibImage* grab = Images::Get(ImageId::GrabBuffer);
  if (!picture || !grab) return;
  ORV_TRACE_LOCATION();
  RegionSelection& region = SelectionState().region;
  const RubberBand band = UpdateRubberBand(region, OverlayPointerPosition(), SizeLabelTextHeight());
  // A band that shrank dims again, and paints, only what the bands and labels drew since the
  // screen was last dimmed whole, not the whole screen: the rest did not change.
  const Rect changed = DrawRubberBand(grab->View(), picture->View(), band, region.drawn);
  const Rect label =
      DrawSizeLabel(band.labelPosition, {band.selection.width, band.selection.height});
  region.drawn =
      DrawnSinceDim(region.drawn, band, UnionRect(RubberBandArea(band, picture->size()), label));
  ShowOverlayChanges(UnionRect(changed, label));
}

// Measures the picked window and draws it highlighted on the dimmed screen, as it is drawn: since
// Windows 10 a top-level window has invisible resize borders, which are left out, and a maximised
// one reaches past its monitor, which is cut off.
void HighlightPickedWindow() {
  WindowPick& pick = SelectionState().pick;
  RECT windowRect{};
  Edges window = pick.geometry.windowRect;  // a window that is gone leaves the rectangles
  if (GetWindowRect(pick.current, &windowRect)) window = EdgesOf(windowRect);
  // GWLP_HWNDPARENT (-8) reads the owner of a top-level window and the parent of a child.
  const bool unowned = GetWindowLongPtrW(pick.current, GWLP_HWNDPARENT) == 0;
  const bool windows10 = win::IsWindows10OrLater();
  if (windows10 && unowned) {
    RECT client{};
    if (GetClientRect(pick.current, &client)) pick.client = EdgesOf(client);
  }
  const int border = WindowBorder(windows10, unowned, window, pick.client);
  const Edges bounds = PickedWindowBounds(
      DescribePickedWindow(pick.current, window, border, SelectionState().screen));
  RecordPickedWindow(pick.geometry, window, bounds);

  DrawDimmedBackground();
  win::DibImage* picture = OverlayPicture();
  const win::DibImage* grab = Images::Get(ImageId::GrabBuffer);
  if (!picture || !grab) return;
  const Rect selection = WindowSelectionRect(bounds, ScreenOrigin());
  DrawHighlight(grab->View(), picture->View(), selection);
  DrawSizeLabel(WindowLabelPosition(selection), {selection.width, selection.height});
}

// The window under the pointer, raised and re-grabbed so that the frozen screen shows it in
// front; the desktop's icon view is never picked and keeps the previous window highlighted.
void PickWindowAt(POINT pointer) {
  WindowPick& pick = SelectionState().pick;
  pick.previous = pick.current;
  HideSelectionOverlay();
  ORV_TRACE_LOCATION();
  HWND found = WindowFromPoint(pointer);
  if (!found || found == pick.desktopIconView) {
    found = pick.previous;
  } else {
    BringWindowToTop(found);
    win::BringToFront(GetAncestor(found, GA_ROOT));  // the picked control's own window
    win::Pause(400);
    FocusSelectionOverlay();
    RegrabScreen(SelectionState().screen);
  }
  pick.current = found;
  // Drawn while hidden, so that the overlay comes back with the new highlight rather than
  // flashing the old one. Over the desktop before any pick there is nothing to highlight.
  if (pick.current) HighlightPickedWindow();
  ShowSelectionOverlay();
  ShowOverlayChanges({});
}

}  // namespace

void ResetWindowPick() {
  WindowPick& pick = SelectionState().pick;
  ResetWindowSelection(pick.geometry);
  pick.current = nullptr;
  pick.previous = nullptr;
  // Looked up for every pick rather than once: a restarted shell makes a new one.
  pick.desktopIconView = FindDesktopIconView();
}

void OnOverlayPointerMove() {
  if (!IsSelectionOverlayOpen()) return;
  ORV_TRACE_LOCATION();
  OverlaySelection& selection = SelectionState();
  switch (App().CaptureMode) {
    case CaptureMode::ModeRegion:
      if (TakeBandRedrawTurn(selection.region)) DrawBand();
      break;
    case CaptureMode::ModeWindow: {
      POINT pointer{};
      GetCursorPos(&pointer);
      if (IsOutsideRect(selection.pick.geometry.lastWindowRect, {pointer.x, pointer.y})) {
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

void OnOverlayLeftPress() {
  if (!IsSelectionOverlayOpen()) return;
  if (App().CaptureMode == CaptureMode::ModeRegion) {
    BeginRegionDrag(SelectionState().region, OverlayPointerPosition());
  }
}

bool OnOverlayLeftRelease() {
  if (!IsSelectionOverlayOpen()) return false;
  ORV_TRACE_LOCATION();
  OverlaySelection& state = SelectionState();
  switch (App().CaptureMode) {
    case CaptureMode::ModeRegion: {
      const win::DibImage* grab = Images::Get(ImageId::GrabBuffer);
      const Size screen = grab ? grab->size() : Size{};
      const auto selection = FinishRegionDrag(state.region, OverlayPointerPosition(), screen);
      if (!selection) return false;  // the button was down before the overlay opened
      EndSelection();
      return CaptureFromGrabBuffer(*selection);
    }
    case CaptureMode::ModeWindow: {
      EndSelection();
      const auto selection = FinishWindowPick(state.pick.geometry, ScreenOrigin());
      return selection && CaptureFromGrabBuffer(*selection);
    }
    case CaptureMode::ModeScreen:
      break;
  }
  return false;
}

}  // namespace orv
