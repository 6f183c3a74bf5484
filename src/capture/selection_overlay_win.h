// The selection overlay: the frozen screen shown dimmed in a borderless topmost window over all
// monitors, on which a region is dragged or a window picked. Its window procedures only queue
// the mouse events; the selection handlers draw on its picture through the calls below.
#pragma once

#include "app/geometry.h"
#include "win/dib_image.h"

namespace orv {

// Grabs the screen and shows it dimmed in a new overlay (replacing an open one).
void OpenSelectionOverlay();
// Destroys the overlay and its canvas; nothing happens when none is open.
void CloseSelectionOverlay();
bool IsSelectionOverlayOpen();

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
