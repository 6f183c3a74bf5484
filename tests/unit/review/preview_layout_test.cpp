#include "review/preview_layout.h"

#include <gtest/gtest.h>

#include "base/scale.h"

namespace orv {
namespace {

TEST(PreviewLayout, PictureKeepsItsProportionsCentredAcrossTheShorterSide) {
  const Size canvas{180, 180};
  EXPECT_EQ(PreviewPictureRect({1000, 500}, canvas), (Rect{0, 45, 180, 90}));
  EXPECT_EQ(PreviewPictureRect({500, 1000}, canvas), (Rect{45, 0, 90, 180}));
  EXPECT_EQ(PreviewPictureRect({640, 640}, canvas), (Rect{0, 0, 180, 180}));
  // Remainders are dropped: 1920 x 1080 gives 180 x 101 at y (180 - 101) / 2 = 39.
  EXPECT_EQ(PreviewPictureRect({1920, 1080}, canvas), (Rect{0, 39, 180, 101}));
  // A picture smaller than the canvas is stretched up; a 1-pixel line keeps one pixel.
  EXPECT_EQ(PreviewPictureRect({20, 10}, canvas), (Rect{0, 45, 180, 90}));
  EXPECT_EQ(PreviewPictureRect({4000, 1}, canvas), (Rect{0, 90, 180, 0}));
  // Huge pictures do not overflow the products.
  EXPECT_EQ(PreviewPictureRect({100000, 50000}, {270, 270}), (Rect{0, 67, 270, 135}));
  EXPECT_EQ(PreviewPictureRect({0, 10}, canvas), Rect{});
}

TEST(PreviewLayout, ScalesWithTheScreenResolution) {
  const float dpi = ComputeDpiScale(144);
  EXPECT_EQ(ScaledSize(kPreviewClientSize, dpi), (Size{592, 330}));
  EXPECT_EQ(ScaledRect(kPreviewControls[1].bounds, dpi), (Rect{15, 45, 270, 270}));
  EXPECT_EQ(kPreviewControls[1].id, ControlId::Canvas);
  EXPECT_EQ(ScaledSize(kPreviewClientSize, 1.0f), (Size{395, 220}));
}

TEST(PreviewLayout, CanvasBackgroundAvoidsPureWhiteAndBlack) {
  EXPECT_EQ(CanvasBackground(0x00FFFFFF, 0x00F0F0F0), 0x00F0F0F0u);
  EXPECT_EQ(CanvasBackground(0x00000000, 0x00F0F0F0), 0x00F0F0F0u);
  EXPECT_EQ(CanvasBackground(0x00FFFFFE, 0x00F0F0F0), 0x00FFFFFEu);
  EXPECT_EQ(CanvasBackground(0x00202020, 0x00F0F0F0), 0x00202020u);
}

TEST(PreviewLayout, ADragBeginsOnlyBeyondTheDragSizeOnEitherSide) {
  const Point press{100, 50};
  const Size drag{4, 3};
  for (const Point inside : {Point{104, 50}, Point{96, 53}, Point{100, 47}, Point{104, 53}}) {
    EXPECT_FALSE(LeavesDragRectangle(press, inside, drag)) << inside.x << "," << inside.y;
  }
  for (const Point outside : {Point{105, 50}, Point{95, 50}, Point{100, 54}, Point{100, 46}}) {
    EXPECT_TRUE(LeavesDragRectangle(press, outside, drag)) << outside.x << "," << outside.y;
  }
  // A negative size counts as its magnitude, as the system documents it.
  EXPECT_FALSE(LeavesDragRectangle(press, {96, 47}, {-4, -3}));
  EXPECT_TRUE(LeavesDragRectangle(press, {95, 50}, {-4, -3}));
}

}  // namespace
}  // namespace orv
