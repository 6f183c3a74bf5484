// The selection overlay: the frozen screen shown dimmed in a borderless topmost window over all
// monitors, on which a region is dragged or a window picked. Its window procedure only queues
// the mouse events; the selection handlers keep their state in the overlay's and draw on its
// picture through the calls below.
#pragma once

#include <windows.h>

#include "base/geometry.h"
#include "capture/screen_grab_win.h"
#include "capture/selection.h"
#include "win/dib_image.h"

namespace orv {

// A window picked on the overlay: the handles stay here, the geometry in WindowSelection.
struct WindowPick {
  WindowSelection geometry;
  HWND current = nullptr;
  HWND previous = nullptr;
  Edges client;                    // client rectangle of the current window, kept when unreadable
  HWND desktopIconView = nullptr;  // the desktop's icons, never picked
};

// What a selection keeps between the overlay's pointer events.
struct OverlaySelection {
  ScreenBounds screen;     // where the frozen screen lies on the desktop
  RegionSelection region;  // a new overlay starts without a drag
  WindowPick pick;         // started afresh by the window command, before its overlay opens
};

// Grabs the screen and shows it dimmed in a new overlay (replacing an open one).
void OpenSelectionOverlay();
// Destroys the overlay and its canvas; nothing happens when none is open.
void CloseSelectionOverlay();
bool IsSelectionOverlayOpen();

// The selection state of the overlay; it outlives the overlay window, so that the window command
// can start a pick before its overlay opens.
OverlaySelection& SelectionState();

// The whole grab buffer, dimmed, becomes the overlay's picture.
void DrawDimmedBackground();

// The overlay's picture for drawing in place, or null when no overlay is open. Changes reach
// the screen through ShowOverlayChanges.
win::DibImage* OverlayPicture();
// Hides the overlay and shows it again, for picking the window underneath it.
void HideSelectionOverlay();
void ShowSelectionOverlay();
// Gives the overlay the keyboard focus.
void FocusSelectionOverlay();

// Height of the text "8" in the size label's font.
int SizeLabelTextHeight();
// Writes the size label (white on black, system font) with its top-left at `at`; returns the
// rectangle it covers.
Rect DrawSizeLabel(Point at, Size size);

// Brings the changed part of the picture to the screen at once.
void ShowOverlayChanges(const Rect& changed);

// The pointer position in overlay coordinates (equal to grab-buffer pixels); (-1, -1) when it
// lies outside the overlay.
Point OverlayPointerPosition();

}  // namespace orv
