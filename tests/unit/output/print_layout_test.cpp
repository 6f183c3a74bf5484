#include "output/print_layout.h"

#include <gtest/gtest.h>

#include <limits>

namespace orv {
namespace {

// Printable area 203 x 271 mm at 600 dpi: 4800 x 6408 device pixels.
constexpr PageMetrics kPortrait{4800, 6408, 203, 271};
constexpr PageMetrics kLandscape{6408, 4800, 271, 203};
// A4 at 300 dpi, where the driver's whole millimetres make VERTRES / VERTSIZE differ from
// HORZRES / HORZSIZE.
constexpr PageMetrics kA4{2479, 3508, 209, 297};

PrintPlacement Place(const PageMetrics& page, Size capture, bool fit) {
  const auto placement = PlacePrint(page, capture, fit);
  EXPECT_TRUE(placement.has_value());
  return placement.value_or(PrintPlacement{});
}

Size Mm(const PrintPlacement& p) {
  return {p.widthMm, p.heightMm};
}

TEST(PrintLayout, WideCaptureOnPortraitPaperFillsTheWidth) {
  const PrintPlacement flat = Place(kPortrait, {1920, 1080}, false);
  EXPECT_FALSE(flat.useTurned);
  EXPECT_EQ(Mm(flat), (Size{203, 114}));
  EXPECT_EQ(flat.device, (Rect{0, 0, 4800, 2696}));
}

TEST(PrintLayout, WideCaptureIsTurnedToPortraitWhenFitting) {
  const PrintPlacement turned = Place(kPortrait, {1920, 1080}, true);
  EXPECT_TRUE(turned.useTurned);
  EXPECT_EQ(Mm(turned), (Size{152, 271}));
  EXPECT_EQ(turned.device, (Rect{0, 0, 3594, 6408}));
}

TEST(PrintLayout, MillimetresRoundHalfToEven) {
  // 203 x 0.5 = 101.5 goes up to 102, 205 x 0.5 = 102.5 down to 102.
  EXPECT_EQ(Mm(Place(kPortrait, {250, 200}, false)), (Size{102, 81}));
  EXPECT_EQ(Mm(Place({4847, 6408, 205, 271}, {250, 200}, false)), (Size{102, 82}));
}

TEST(PrintLayout, SmallCapturesPrintAtAHalfOrAQuarter) {
  EXPECT_EQ(Mm(Place(kPortrait, {2500, 2000}, false)), (Size{203, 162}));
  EXPECT_EQ(Mm(Place(kPortrait, {250, 200}, false)), (Size{102, 81}));
  EXPECT_EQ(Mm(Place(kPortrait, {299, 299}, false)), (Size{102, 102}));
  EXPECT_EQ(Mm(Place(kPortrait, {99, 99}, false)), (Size{51, 51}));
  // Both sides must be below the limit, and the limit itself is not below it.
  EXPECT_EQ(Mm(Place(kPortrait, {99, 300}, false)), (Size{89, 271}));
  EXPECT_EQ(Mm(Place(kPortrait, {300, 299}, false)), (Size{203, 202}));
  EXPECT_EQ(Mm(Place(kPortrait, {100, 99}, false)), (Size{102, 100}));
  EXPECT_EQ(Mm(Place(kPortrait, {99, 100}, false)), (Size{102, 103}));
  EXPECT_EQ(PrintScale({1, 1}), 0.25f);
  EXPECT_EQ(PrintScale({299, 1}), 0.5f);
}

TEST(PrintLayout, TurnsOnlyWhenOrientationsDiffer) {
  // Portrait capture on portrait paper: unturned, fills the height.
  EXPECT_FALSE(Place(kPortrait, {1080, 1920}, true).useTurned);
  // Portrait capture on landscape paper: turned, fills the width.
  const PrintPlacement onLandscape = Place(kLandscape, {1080, 1920}, true);
  EXPECT_TRUE(onLandscape.useTurned);
  EXPECT_EQ(Mm(onLandscape), (Size{271, 152}));
  EXPECT_EQ(onLandscape.device, (Rect{0, 0, 6408, 3594}));
  EXPECT_FALSE(Place(kLandscape, {1920, 1080}, true).useTurned);
  // A square on either side never turns.
  EXPECT_FALSE(Place(kPortrait, {500, 500}, true).useTurned);
  EXPECT_FALSE(Place({4800, 4800, 200, 200}, {1920, 1080}, true).useTurned);
  // Without fitting nothing turns.
  EXPECT_FALSE(Place(kLandscape, {1080, 1920}, false).useTurned);
}

TEST(PrintLayout, WithoutATurnedCopyTheCapturePrintsAsItIs) {
  const auto noCopy = PlacePrint(kPortrait, {1920, 1080}, true, std::nullopt);
  ASSERT_TRUE(noCopy);
  EXPECT_FALSE(noCopy->useTurned);
  EXPECT_EQ(Mm(*noCopy), (Size{203, 114}));
}

TEST(PrintLayout, SameProportionFillsTheAreaThroughTheHeightRule) {
  const PrintPlacement full = Place(kPortrait, {2030, 2710}, true);
  EXPECT_FALSE(full.useTurned);
  EXPECT_EQ(full.device, (Rect{0, 0, 4800, 6408}));
  // 100 x 175 mm with a half-size 100 x 175 capture: the height rule gives 87.5 -> 88 and
  // 50.0000038 -> 50; the width rule would have made the height 87.4999924 -> 87.
  EXPECT_EQ(Mm(Place({2362, 4134, 100, 175}, {100, 175}, false)), (Size{50, 88}));
}

TEST(PrintLayout, PageHighPictureStaysInsideThePrintableArea) {
  const PrintPlacement turned = Place(kA4, {1920, 1080}, true);
  EXPECT_TRUE(turned.useTurned);
  EXPECT_EQ(Mm(turned), (Size{167, 297}));
  // One factor for both directions would give 297 x 2479 / 209 = 3523 pixels.
  EXPECT_EQ(turned.device, (Rect{0, 0, 1981, 3508}));
  const PrintPlacement flat = Place(kA4, {1920, 1080}, false);
  EXPECT_EQ(Mm(flat), (Size{209, 118}));
  EXPECT_EQ(flat.device, (Rect{0, 0, 2479, 1394}));  // 118 mm, not 1400 pixels
}

TEST(PrintLayout, UnusablePageOrPictureIsNotPlaced) {
  EXPECT_FALSE(PlacePrint({4800, 6408, 0, 271}, {1920, 1080}, false));
  EXPECT_FALSE(PlacePrint({4800, 0, 203, 271}, {1920, 1080}, false));
  EXPECT_FALSE(PlacePrint(kPortrait, {1920, 0}, false));
  EXPECT_FALSE(PlacePrint(kPortrait, {0, 0}, true));
}

TEST(PrintLayout, DeviceLengthsRoundHalfToEven) {
  EXPECT_EQ(RoundHalfEven(0.5f), 0);
  EXPECT_EQ(RoundHalfEven(1.5f), 2);
  EXPECT_EQ(RoundHalfEven(2.5f), 2);
  EXPECT_EQ(RoundHalfEven(2.5000002f), 3);
  EXPECT_EQ(RoundHalfEven(-1.5f), -2);
  EXPECT_EQ(RoundHalfEven(-2.5f), -2);
  EXPECT_EQ(RoundHalfEven(-2.6f), -3);
  EXPECT_EQ(RoundHalfEven(std::numeric_limits<float>::quiet_NaN()), 0);
  EXPECT_EQ(RoundHalfEven(1e12f), 2147483520);
  EXPECT_EQ(RoundHalfEven(-1e12f), std::numeric_limits<int>::min());
  const float kx = DevicePixelsPerMm(4800, 203);
  EXPECT_EQ(MmToDevice(114.0f, kx), 2696);  // 2695.57
  EXPECT_EQ(MmToDevice(1.5f, 1.0f), 2);
  EXPECT_EQ(MmToDevice(5.0f, 0.5f), 2);
}

}  // namespace
}  // namespace orv
