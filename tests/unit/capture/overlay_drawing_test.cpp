#include "capture/overlay_drawing.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "imaging/test_images.h"

namespace orv {
namespace {

using imaging_test::NoiseImage;
using imaging_test::PixelAt;

constexpr Size kScreen{40, 30};

std::uint32_t Dimmed(std::uint32_t rgb) {
  std::uint32_t out = 0;
  for (int shift : {0, 8, 16}) out |= (((rgb >> shift & 0xFF) * 127 + 128 * 128) / 255) << shift;
  return out;
}

enum class Looks { Dimmed, Undimmed, Black };

// Checks every pixel of the canvas against what `expect` says it should show.
::testing::AssertionResult CanvasShows(const Image& grab, const Image& canvas,
                                       const std::function<Looks(int, int)>& expect) {
  for (int y = 0; y < kScreen.height; ++y) {
    for (int x = 0; x < kScreen.width; ++x) {
      const std::uint32_t source = PixelAt(grab.View(), x, y);
      std::uint32_t wanted = 0;
      switch (expect(x, y)) {
        case Looks::Dimmed:
          wanted = Dimmed(source);
          break;
        case Looks::Undimmed:
          wanted = source;
          break;
        case Looks::Black:
          wanted = 0;
          break;
      }
      if (PixelAt(canvas.View(), x, y) != wanted) {
        return ::testing::AssertionFailure()
               << "pixel (" << x << ", " << y << ") is " << PixelAt(canvas.View(), x, y)
               << ", expected " << wanted;
      }
    }
  }
  return ::testing::AssertionSuccess();
}

bool Inside(const Rect& r, int x, int y) {
  return x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height;
}
bool OnEdge(const Rect& r, int x, int y) {
  return Inside(r, x, y) &&
         (x == r.x || x == r.x + r.width - 1 || y == r.y || y == r.y + r.height - 1);
}

// The frame drawn over the undimmed cut-out of r, on the dimmed screen.
std::function<Looks(int, int)> Band(const Rect& r) {
  return [r](int x, int y) {
    if (OnEdge(r, x, y)) return Looks::Black;
    return Inside(r, x, y) ? Looks::Undimmed : Looks::Dimmed;
  };
}

struct Overlay {
  Image grab = NoiseImage(kScreen.width, kScreen.height, 7);
  Image canvas = NoiseImage(kScreen.width, kScreen.height, 8);
  RegionSelection region;

  Overlay() {
    DrawDimmedScreen(grab.View(), canvas.View());
    ResetRegionSelection(region);
  }
  Rect MoveTo(Point p) {
    return DrawRubberBand(grab.View(), canvas.View(), UpdateRubberBand(region, p, 13));
  }
};

TEST(OverlayDrawing, RectanglesClipAndCombine) {
  EXPECT_EQ(ClipRect({-5, 20, 20, 20}, kScreen), (Rect{0, 20, 15, 10}));
  EXPECT_EQ(ClipRect({35, -3, 10, 10}, kScreen), (Rect{35, 0, 5, 7}));
  EXPECT_TRUE(IsEmptyRect(ClipRect({40, 0, 5, 5}, kScreen)));
  EXPECT_TRUE(IsEmptyRect(ClipRect({-6, 0, 6, 5}, kScreen)));
  EXPECT_EQ(UnionRect({10, 10, 5, 5}, {0, 12, 3, 20}), (Rect{0, 10, 15, 22}));
  EXPECT_EQ(UnionRect({}, {3, 4, 5, 6}), (Rect{3, 4, 5, 6}));
  EXPECT_EQ(UnionRect({3, 4, 5, 6}, {9, 9, 0, 4}), (Rect{3, 4, 5, 6}));
  // A frame drawn from its corner up and to the left covers the normalised rectangle.
  EXPECT_EQ(FrameBox({30, 20, -10, -8}), (Rect{20, 12, 10, 8}));
  EXPECT_EQ(FrameBox({5, 6, 7, 8}), (Rect{5, 6, 7, 8}));
}

TEST(OverlayDrawing, OpeningShowsTheWholeScreenDimmed) {
  Overlay overlay;
  EXPECT_TRUE(CanvasShows(overlay.grab, overlay.canvas, [](int, int) { return Looks::Dimmed; }));
}

TEST(OverlayDrawing, GrowingBandDrawsOverTheOldOneAndReportsOnlyItsOwnArea) {
  Overlay overlay;
  BeginRegionDrag(overlay.region, {10, 10});
  EXPECT_EQ(overlay.MoveTo({20, 18}), (Rect{10, 10, 10, 8}));
  EXPECT_TRUE(CanvasShows(overlay.grab, overlay.canvas, Band({10, 10, 10, 8})));

  EXPECT_EQ(overlay.MoveTo({25, 22}), (Rect{10, 10, 15, 12}));
  EXPECT_TRUE(CanvasShows(overlay.grab, overlay.canvas, Band({10, 10, 15, 12})));

  // Up and to the left of the start, no smaller than before: drawn without erasing, so the old
  // band stays; the new frame is anchored at the start corner. Only the visible part counts.
  EXPECT_EQ(overlay.MoveTo({-6, -3}), (Rect{0, 0, 10, 10}));
  const Rect older{10, 10, 15, 12}, newer{-6, -3, 16, 13};
  EXPECT_TRUE(CanvasShows(overlay.grab, overlay.canvas, [&](int x, int y) {
    if (OnEdge(newer, x, y)) return Looks::Black;
    if (Inside(newer, x, y)) return Looks::Undimmed;
    return Band(older)(x, y);
  }));
}

TEST(OverlayDrawing, ShrinkingBandErasesEverythingFirst) {
  Overlay overlay;
  BeginRegionDrag(overlay.region, {30, 25});
  overlay.MoveTo({5, 5});
  EXPECT_EQ(overlay.MoveTo({26, 5}), (Rect{0, 0, kScreen.width, kScreen.height}));
  EXPECT_TRUE(CanvasShows(overlay.grab, overlay.canvas, Band({26, 5, 4, 20})));
  // A band with no height leaves only the dimmed screen.
  overlay.MoveTo({20, 25});
  EXPECT_TRUE(CanvasShows(overlay.grab, overlay.canvas, [](int, int) { return Looks::Dimmed; }));
}

// Dimming again only what was drawn since the last whole dimming gives the same picture as
// dimming everything, and a shrink then reports only that part and the new band.
TEST(OverlayDrawing, ShrinkingBandErasesOnlyWhatWasDrawnSinceTheScreenWasDimmed) {
  Overlay whole, tracked;
  BeginRegionDrag(whole.region, {10, 12});
  BeginRegionDrag(tracked.region, {10, 12});
  const auto move = [&](Point p) {
    whole.MoveTo(p);
    const RubberBand band = UpdateRubberBand(tracked.region, p, 13);
    const Rect changed =
        DrawRubberBand(tracked.grab.View(), tracked.canvas.View(), band, tracked.region.drawn);
    tracked.region.drawn = DrawnSinceDim(tracked.region.drawn, band, RubberBandArea(band, kScreen));
    EXPECT_EQ(tracked.canvas.bytes(), whole.canvas.bytes()) << p.x << ", " << p.y;
    return changed;
  };
  EXPECT_EQ(move({30, 20}), (Rect{10, 12, 20, 8}));
  // The other way round and as large, partly off the screen: drawn over, the first band stays.
  EXPECT_EQ(move({-10, 4}), (Rect{0, 4, 10, 8}));
  EXPECT_EQ(move({14, 15}), (Rect{0, 4, 30, 16}));  // both bands, the small one inside them
  EXPECT_EQ(move({12, 14}), (Rect{10, 12, 4, 3}));  // only the band before
}

TEST(OverlayDrawing, HighlightPartlyOffScreenIsClipped) {
  Overlay overlay;
  // Windows hanging over the left and bottom edges, and over the top and right edges: only the
  // frame's edges inside the screen show.
  const Rect lowerLeft{-5, 20, 20, 20}, upperRight{33, -4, 15, 10};
  EXPECT_EQ(DrawHighlight(overlay.grab.View(), overlay.canvas.View(), lowerLeft),
            (Rect{0, 20, 15, 10}));
  EXPECT_EQ(DrawHighlight(overlay.grab.View(), overlay.canvas.View(), upperRight),
            (Rect{33, 0, 7, 6}));
  EXPECT_TRUE(CanvasShows(overlay.grab, overlay.canvas, [&](int x, int y) {
    return Inside(lowerLeft, x, y) ? Band(lowerLeft)(x, y) : Band(upperRight)(x, y);
  }));
  // One pixel wide: all frame.
  DrawHighlight(overlay.grab.View(), overlay.canvas.View(), {20, 2, 1, 6});
  EXPECT_EQ(PixelAt(overlay.canvas.View(), 20, 4), 0u);
  EXPECT_EQ(PixelAt(overlay.canvas.View(), 21, 4), Dimmed(PixelAt(overlay.grab.View(), 21, 4)));
}

// The overlay's own picture is 32-bit: every step leaves it showing what a 24-bit one shows, with
// the fourth byte of every pixel zero.
TEST(OverlayDrawing, ThirtyTwoBitPictureShowsWhatTheTwentyFourBitOneShows) {
  Overlay overlay;
  Image wide(kScreen.width, kScreen.height, 32);
  RegionSelection region;
  ResetRegionSelection(region);
  DrawDimmedScreen(overlay.grab.View(), wide.View());
  const auto both = [&](Point p) {
    const RubberBand band = UpdateRubberBand(region, p, 13);
    EXPECT_EQ(DrawRubberBand(overlay.grab.View(), wide.View(), band), overlay.MoveTo(p));
  };
  BeginRegionDrag(overlay.region, {3, 4});
  BeginRegionDrag(region, {3, 4});
  both({36, 27});  // grows across both sixteen-pixel blocks of a row and its tail
  both({9, 8});    // shrinks: the whole screen dimmed again
  DrawHighlight(overlay.grab.View(), wide.View(), {30, 20, 20, 20});
  DrawHighlight(overlay.grab.View(), overlay.canvas.View(), {30, 20, 20, 20});
  for (int y = 0; y < kScreen.height; ++y) {
    for (int x = 0; x < kScreen.width; ++x) {
      std::uint32_t pixel;
      std::memcpy(&pixel, wide.View().Row(y) + 4 * x, 4);
      ASSERT_EQ(pixel, PixelAt(overlay.canvas.View(), x, y)) << x << ", " << y;
    }
  }
}

TEST(OverlayDrawing, PicturesOfAnotherDepthAreLeftAlone) {
  Image grab = NoiseImage(kScreen.width, kScreen.height, 1);
  Image palette(kScreen.width, kScreen.height, 8);
  const std::vector<std::uint8_t> before = palette.bytes();
  DrawCutOut(grab.View(), palette.View(), {0, 0, 10, 10});
  DrawOutline(palette.View(), {0, 0, 10, 10});
  DrawDimmedScreen(grab.View(), palette.View());
  EXPECT_EQ(palette.bytes(), before);
}

}  // namespace
}  // namespace orv
