// Geometry of region and window selection on the frozen screen: the rubber band, the rules that
// turn a drag or a picked window into the rectangle cut from the grab buffer, and the state both
// keep between pointer events. The overlay's Win32 code draws and picks; this decides.
#pragma once

#include <optional>
#include <string>

#include "base/geometry.h"

namespace orv {

// ---- Region mode: drag a rectangle ----------------------------------------------------------

// Points are overlay client coordinates, which equal grab-buffer pixels.
struct RegionSelection {
  Point start;            // where the left button went down
  Point current;          // last pointer position of the drag; the end point after release
  bool dragging = false;  // a press in the current overlay, not yet released
  bool redrawToggle = false;
  Size previous;  // band size drawn last; a smaller band must erase the old one
  Rect drawn;     // what was drawn over the dimmed picture since it was last dimmed whole
};

// A new overlay starts without a drag and with no band drawn.
void ResetRegionSelection(RegionSelection& state);

// Left press: the drag starts here.
void BeginRegionDrag(RegionSelection& state, Point pointer);

// Pointer move: whether this move redraws the band. While dragging only every second move does,
// which halves the drawing work of a drag; outside a drag the toggle is cleared.
bool TakeBandRedrawTurn(RegionSelection& state);

// What to draw for one redraw of the band.
struct RubberBand {
  Rect selection;       // normalised rectangle: the undimmed cut-out and the label's numbers
  bool eraseFirst;      // narrower or lower than before: redraw the dimmed background first
  Rect frame;           // black 1-pixel box anchored at the start point; a negative width or
                        // height extends it left or up from there
  Point labelPosition;  // size label's top-left: just above the start point
};

// Both corners ordered so that the result has a non-negative size.
Rect NormalizedRect(Point a, Point b);

// Moves the band's free corner to the pointer and remembers the size for the next erase
// decision. labelTextHeight is the height of the text "8" in the label font.
RubberBand UpdateRubberBand(RegionSelection& state, Point pointer, int labelTextHeight);

// Left release: the rectangle to cut from a grab buffer of the given size. A drag under
// 5 pixels in either direction (a click) takes the whole frozen screen. Nothing when no press
// happened in this overlay (the button was already down when it opened): the release is
// ignored and the overlay stays open for a real drag.
std::optional<Rect> FinishRegionDrag(RegionSelection& state, Point pointer, Size screen);

// ---- Window mode: point at a window ---------------------------------------------------------

// Rectangles are screen coordinates. The window handles themselves stay with the Win32 code.
struct WindowSelection {
  Edges windowRect;      // outer rectangle of the highlighted window
  Edges lastWindowRect;  // pointer moves inside it keep the highlight
  Edges bounds;          // the window as drawn (PickedWindowBounds): highlighted and captured
  bool picked = false;   // a window was highlighted since the window command
};

// The window command starts from nothing highlighted.
void ResetWindowSelection(WindowSelection& state);

// Whether the pointer has left the rectangle; points on its edges count as inside.
bool IsOutsideRect(const Edges& rect, Point pointer);

// Since Windows 10 the outer rectangle of a top-level window includes an invisible resize
// border; it is half the difference between outer and client width (truncated). Owned windows,
// child controls and earlier systems have none. A client rectangle wider than the window (a
// stale one, when GetClientRect failed) gives no border rather than a negative one.
int WindowBorder(bool windows10OrLater, bool unownedTopLevel, const Edges& window,
                 const Edges& client);

// What is known of a picked window's place on the screen, in screen coordinates.
struct PickedWindow {
  Edges windowRect;                  // the outer rectangle the system gives for the window
  std::optional<Edges> drawnBounds;  // what the compositor draws of a top-level window, when
                                     // composition is on and it says
  int border = 0;                    // invisible resize border (WindowBorder), for when it does not
  bool maximised = false;
  Edges monitor;        // the monitor the window is on
  Edges virtualScreen;  // all monitors together
};

// The window as drawn, the one rectangle that is highlighted, labelled and captured: the bounds
// the compositor draws when it gives them (they leave out invisible borders and shadows on every
// side), else the outer rectangle without the border on the left, right and bottom (never the
// top). A maximised window is clipped to its monitor, since its frame reaches past the monitor's
// edges, onto a neighbouring monitor or off the screen; any other window to the virtual screen.
// Nothing of it on the screen gives an empty rectangle.
Edges PickedWindowBounds(const PickedWindow& window);

// The overlay rectangle of a window's bounds; screenOrigin is the virtual screen's top-left
// corner.
Rect WindowSelectionRect(const Edges& bounds, Point screenOrigin);

// The size label's top-left, inside the frame's top-left corner.
Point WindowLabelPosition(const Rect& selection);

// Records a newly highlighted window: its outer rectangle and its bounds as drawn.
void RecordPickedWindow(WindowSelection& state, const Edges& window, const Edges& bounds);

// Left release: the rectangle to cut, or nothing when no window was highlighted yet or its
// rectangle is empty; then nothing is captured and no preview opens (the overlay closes all the
// same, a release always ends window picking).
std::optional<Rect> FinishWindowPick(const WindowSelection& state, Point screenOrigin);

}  // namespace orv
