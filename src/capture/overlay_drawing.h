// The selection feedback drawn into the overlay's picture: the frozen screen dimmed, the
// selected part undimmed with a black frame around it, and the part of the picture each drawing
// step changed, so that only that part has to reach the screen. The frozen screen is 24-bit; the
// picture is 24-bit or, as the overlay keeps it, 32-bit (blue, green, red, 0).
#pragma once

#include <optional>

#include "base/geometry.h"
#include "capture/selection.h"
#include "imaging/image.h"

namespace orv {

bool IsEmptyRect(const Rect& r);
// The part of r that lies inside a picture of the given size; empty when none does.
Rect ClipRect(const Rect& r, Size bounds);
// The smallest rectangle holding both; an empty rectangle adds nothing.
Rect UnionRect(const Rect& a, const Rect& b);

// The box a frame covers when drawn from its corner: a negative width or height extends it left
// or up from there. For the rubber band this is the selected rectangle itself.
Rect FrameBox(const Rect& frame);

// The whole frozen screen, dimmed half-way to grey, as the overlay's picture. Nothing is drawn
// when the pictures differ in size or the picture is of another depth.
void DrawDimmedScreen(const ImageView& grab, MutableImageView canvas);

// Copies the pixels of r from the frozen screen to the same place in the overlay's picture
// (both are the virtual screen, pixel for pixel); parts of r outside them are left out.
void DrawCutOut(const ImageView& grab, MutableImageView canvas, const Rect& r);

// A black outline one pixel wide along the inner edge of r, clipped to the picture.
void DrawOutline(MutableImageView canvas, const Rect& r);

// The part of the picture a rubber band covers: its undimmed cut-out and its frame.
Rect RubberBandArea(const RubberBand& band, Size picture);

// What has been drawn over the picture since it was last dimmed whole, after a redraw of `band`
// that drew `drawn` (its area and label): a redraw that erased first starts afresh from it.
Rect DrawnSinceDim(const Rect& before, const RubberBand& band, const Rect& drawn);

// One redraw of the rubber band: the dimmed screen again first when the band shrank, then the
// undimmed cut-out and the frame. Returns the part of the picture that changed, so that growing
// costs the band's area. An erase dims the whole picture again, or only `drawnSinceDim` when it
// is given: all that was drawn over the picture since it was last dimmed whole, outside which an
// erase changes nothing; the result is the same picture.
Rect DrawRubberBand(const ImageView& grab, MutableImageView canvas, const RubberBand& band,
                    std::optional<Rect> drawnSinceDim = std::nullopt);

// A picked window on the dimmed screen: its undimmed cut-out and frame. Returns the changed part.
Rect DrawHighlight(const ImageView& grab, MutableImageView canvas, const Rect& selection);

}  // namespace orv
