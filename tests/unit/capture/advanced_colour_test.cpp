#include "capture/advanced_colour.h"

#include <gtest/gtest.h>

namespace orv {
namespace {

TEST(AdvancedColour, SdrWhiteFollowsTheWayTheMonitorIsComposed) {
  // The newer query decides where it answers: HDR at the user's level, wide colour at 1.0.
  EXPECT_EQ(SdrWhiteInScRgb({.activeColourMode = 2, .sdrWhiteLevel = 2500}), 2.5f);
  EXPECT_EQ(SdrWhiteInScRgb({.activeColourMode = 1, .sdrWhiteLevel = 2500}), 1.0f);
  EXPECT_EQ(SdrWhiteInScRgb(
                {.activeColourMode = 0, .advancedColourEnabled = true, .sdrWhiteLevel = 2500}),
            std::nullopt);
  // Else the older one: advanced colour on is HDR unless it is wide colour on an SDR monitor.
  EXPECT_EQ(SdrWhiteInScRgb({.advancedColourEnabled = true, .sdrWhiteLevel = 6000}), 6.0f);
  EXPECT_EQ(SdrWhiteInScRgb({.advancedColourEnabled = true, .wideColourEnforced = true}), 1.0f);
  EXPECT_EQ(SdrWhiteInScRgb({.advancedColourEnabled = false, .sdrWhiteLevel = 2500}), std::nullopt);
  // HDR without a white level to go by, or none of the queries answered (older systems, Wine):
  // the GDI copy.
  EXPECT_EQ(SdrWhiteInScRgb({.activeColourMode = 2}), std::nullopt);
  EXPECT_EQ(SdrWhiteInScRgb({.advancedColourEnabled = true, .sdrWhiteLevel = 0}), std::nullopt);
  EXPECT_EQ(SdrWhiteInScRgb({.sdrWhiteLevel = 2500}), std::nullopt);
}

TEST(AdvancedColour, AMonitorIsPlacedInTheGrabOnlyWhenItLiesWhollyInside) {
  const Rect grab{-640, -120, 1440, 720};
  EXPECT_EQ(PlaceInGrab({-640, -120, 640, 480}, grab), (Rect{0, 0, 640, 480}));
  EXPECT_EQ(PlaceInGrab({0, 0, 800, 600}, grab), (Rect{640, 120, 800, 600}));
  // Arranged otherwise since the grab was measured: the GDI copy stays.
  EXPECT_EQ(PlaceInGrab({0, 0, 801, 600}, grab), std::nullopt);
  EXPECT_EQ(PlaceInGrab({-641, 0, 640, 480}, grab), std::nullopt);
}

}  // namespace
}  // namespace orv
