#include "capture/selection.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace orv {

namespace {

// A drag shorter than this in either direction is taken as a click.
constexpr int kMinimumDrag = 5;

}  // namespace

void ResetRegionSelection(RegionSelection& state) {
  state.dragging = false;
  state.redrawToggle = false;
  state.previous = {};
  state.drawn = {};
}

void BeginRegionDrag(RegionSelection& state, Point pointer) {
  state.start = pointer;
  state.current = pointer;
  state.dragging = true;
}

bool TakeBandRedrawTurn(RegionSelection& state) {
  const bool redraw = state.dragging && !state.redrawToggle;
  state.redrawToggle = redraw;
  return redraw;
}

Rect NormalizedRect(Point a, Point b) {
  if (a.x > b.x) std::swap(a.x, b.x);
  if (a.y > b.y) std::swap(a.y, b.y);
  return {a.x, a.y, b.x - a.x, b.y - a.y};
}

RubberBand UpdateRubberBand(RegionSelection& state, Point pointer, int labelTextHeight) {
  state.current = pointer;
  RubberBand band;
  band.selection = NormalizedRect(state.start, state.current);
  // Growing draws over the old band; only a shrink would leave parts of it behind.
  band.eraseFirst =
      band.selection.width < state.previous.width || band.selection.height < state.previous.height;
  state.previous = {band.selection.width, band.selection.height};
  band.frame = {state.start.x, state.start.y, state.current.x - state.start.x,
                state.current.y - state.start.y};
  band.labelPosition = {state.start.x, state.start.y - labelTextHeight};
  return band;
}

std::optional<Rect> FinishRegionDrag(RegionSelection& state, Point pointer, Size screen) {
  if (!state.dragging) return std::nullopt;
  state.dragging = false;
  state.current = pointer;
  if (std::abs(state.start.x - state.current.x) < kMinimumDrag ||
      std::abs(state.start.y - state.current.y) < kMinimumDrag) {
    return Rect{0, 0, screen.width, screen.height};
  }
  const Rect selection = NormalizedRect(state.start, state.current);
  state.start = {selection.x, selection.y};
  state.current = {selection.x + selection.width, selection.y + selection.height};
  return selection;
}

void ResetWindowSelection(WindowSelection& state) {
  state = {};
}

bool IsOutsideRect(const Edges& rect, Point pointer) {
  return pointer.x < rect.left || pointer.x > rect.right || pointer.y < rect.top ||
         pointer.y > rect.bottom;
}

int WindowBorder(bool windows10OrLater, bool unownedTopLevel, const Edges& window,
                 const Edges& client) {
  if (!windows10OrLater || !unownedTopLevel) return 0;
  const int border = ((window.right - window.left) - (client.right - client.left)) / 2;
  return border > 0 ? border : 0;
}

Edges PickedWindowBounds(const PickedWindow& window) {
  const Edges& w = window.windowRect;
  Edges bounds = window.drawnBounds.value_or(
      Edges{w.left + window.border, w.top, w.right - window.border, w.bottom - window.border});
  const Edges& clip = window.maximised ? window.monitor : window.virtualScreen;
  bounds = {std::max(bounds.left, clip.left), std::max(bounds.top, clip.top),
            std::min(bounds.right, clip.right), std::min(bounds.bottom, clip.bottom)};
  if (bounds.right <= bounds.left || bounds.bottom <= bounds.top) return {};
  return bounds;
}

Rect WindowSelectionRect(const Edges& bounds, Point screenOrigin) {
  return {bounds.left - screenOrigin.x, bounds.top - screenOrigin.y, bounds.right - bounds.left,
          bounds.bottom - bounds.top};
}

Point WindowLabelPosition(const Rect& selection) {
  return {selection.x + 1, selection.y + 1};
}

void RecordPickedWindow(WindowSelection& state, const Edges& window, const Edges& bounds) {
  state.windowRect = window;
  state.bounds = bounds;
  state.lastWindowRect = window;
  state.picked = true;
}

std::optional<Rect> FinishWindowPick(const WindowSelection& state, Point screenOrigin) {
  if (!state.picked) return std::nullopt;
  const Rect selection = WindowSelectionRect(state.bounds, screenOrigin);
  if (selection.width <= 0 || selection.height <= 0) return std::nullopt;
  return selection;
}

}  // namespace orv
