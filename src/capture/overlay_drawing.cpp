#include "capture/overlay_drawing.h"

#include <algorithm>
#include <cstring>

#include "imaging/dim.h"

namespace orv {
namespace {

Size SizeOf(const ImageView& image) {
  return {image.width, image.height};
}

// The overlay draws on 24-bit pictures and on 32-bit ones (blue, green, red, 0), the screen's
// own format; anything else is left alone.
bool IsCanvas(const ImageView& canvas) {
  return canvas.bitsPerPixel == 24 || canvas.bitsPerPixel == 32;
}

std::size_t BytesPerPixel(const ImageView& image) {
  return static_cast<std::size_t>(image.bitsPerPixel / 8);
}

void FillBlack(MutableImageView canvas, const Rect& r) {
  const Rect clipped = ClipRect(r, SizeOf(canvas));
  if (IsEmptyRect(clipped)) return;
  const std::size_t size = BytesPerPixel(canvas);
  for (int y = clipped.y; y < clipped.y + clipped.height; ++y) {
    std::memset(canvas.Row(y) + clipped.x * size, 0, clipped.width * size);
  }
}

// The part r of a picture, as a picture of its own (r lies inside it).
template <class View>
View PartOf(const View& image, const Rect& r) {
  View part = image;
  part.top = image.Row(r.y) + r.x * BytesPerPixel(image);
  part.width = r.width;
  part.height = r.height;
  return part;
}

// The part r of the frozen screen, dimmed, into the same part of the picture.
void DrawDimmedRect(const ImageView& grab, MutableImageView canvas, const Rect& r) {
  if (grab.width != canvas.width || grab.height != canvas.height) return;
  DimHalfwayToGrey(PartOf(grab, r), PartOf(canvas, r));
}

}  // namespace

bool IsEmptyRect(const Rect& r) {
  return r.width <= 0 || r.height <= 0;
}

Rect ClipRect(const Rect& r, Size bounds) {
  const int left = std::max(r.x, 0);
  const int top = std::max(r.y, 0);
  const int right = std::min(r.x + r.width, bounds.width);
  const int bottom = std::min(r.y + r.height, bounds.height);
  if (right <= left || bottom <= top) return {};
  return {left, top, right - left, bottom - top};
}

Rect UnionRect(const Rect& a, const Rect& b) {
  if (IsEmptyRect(a)) return IsEmptyRect(b) ? Rect{} : b;
  if (IsEmptyRect(b)) return a;
  const int left = std::min(a.x, b.x);
  const int top = std::min(a.y, b.y);
  const int right = std::max(a.x + a.width, b.x + b.width);
  const int bottom = std::max(a.y + a.height, b.y + b.height);
  return {left, top, right - left, bottom - top};
}

Rect FrameBox(const Rect& frame) {
  return NormalizedRect({frame.x, frame.y}, {frame.x + frame.width, frame.y + frame.height});
}

void DrawDimmedScreen(const ImageView& grab, MutableImageView canvas) {
  DimHalfwayToGrey(grab, canvas);
}

void DrawCutOut(const ImageView& grab, MutableImageView canvas, const Rect& r) {
  if (grab.bitsPerPixel != 24 || !IsCanvas(canvas)) return;
  const Size common{std::min(grab.width, canvas.width), std::min(grab.height, canvas.height)};
  const Rect clipped = ClipRect(r, common);
  if (IsEmptyRect(clipped)) return;
  const std::size_t from = clipped.x * BytesPerPixel(grab);
  const std::size_t to = clipped.x * BytesPerPixel(canvas);
  for (int y = clipped.y; y < clipped.y + clipped.height; ++y) {
    if (canvas.bitsPerPixel == 32) {
      WidenRow(grab.Row(y) + from, canvas.Row(y) + to, clipped.width, false);
    } else {
      std::memcpy(canvas.Row(y) + to, grab.Row(y) + from, clipped.width * BytesPerPixel(grab));
    }
  }
}

void DrawOutline(MutableImageView canvas, const Rect& r) {
  if (!IsCanvas(canvas) || IsEmptyRect(r)) return;
  FillBlack(canvas, {r.x, r.y, r.width, 1});
  FillBlack(canvas, {r.x, r.y + r.height - 1, r.width, 1});
  FillBlack(canvas, {r.x, r.y, 1, r.height});
  FillBlack(canvas, {r.x + r.width - 1, r.y, 1, r.height});
}

Rect DrawHighlight(const ImageView& grab, MutableImageView canvas, const Rect& selection) {
  DrawCutOut(grab, canvas, selection);
  DrawOutline(canvas, selection);
  return ClipRect(selection, SizeOf(canvas));
}

Rect RubberBandArea(const RubberBand& band, Size picture) {
  return UnionRect(ClipRect(band.selection, picture), ClipRect(FrameBox(band.frame), picture));
}

Rect DrawnSinceDim(const Rect& before, const RubberBand& band, const Rect& drawn) {
  return band.eraseFirst ? drawn : UnionRect(before, drawn);
}

Rect DrawRubberBand(const ImageView& grab, MutableImageView canvas, const RubberBand& band,
                    std::optional<Rect> drawnSinceDim) {
  const Rect whole{0, 0, canvas.width, canvas.height};
  const Rect erased =
      band.eraseFirst ? ClipRect(drawnSinceDim.value_or(whole), SizeOf(canvas)) : Rect{};
  if (!IsEmptyRect(erased)) DrawDimmedRect(grab, canvas, erased);
  DrawCutOut(grab, canvas, band.selection);
  DrawOutline(canvas, FrameBox(band.frame));
  return UnionRect(erased, RubberBandArea(band, SizeOf(canvas)));
}

}  // namespace orv
