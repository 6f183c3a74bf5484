#include "capture/selection.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

namespace orv {
namespace {

constexpr Size kScreen{2560, 1440};

std::optional<Rect> Drag(Point from, Point to) {
  RegionSelection state;
  ResetRegionSelection(state);
  BeginRegionDrag(state, from);
  return FinishRegionDrag(state, to, kScreen);
}

TEST(RegionSelection, ShortDragsTakeTheWholeScreen) {
  const Rect whole{0, 0, kScreen.width, kScreen.height};
  EXPECT_EQ(Drag({300, 200}, {300, 200}), whole);  // a click
  EXPECT_EQ(Drag({300, 200}, {304, 600}), whole);  // 4 pixels wide
  EXPECT_EQ(Drag({300, 200}, {700, 196}), whole);  // 4 pixels tall, upwards
  EXPECT_EQ(Drag({300, 200}, {305, 205}), (Rect{300, 200, 5, 5}));
  EXPECT_EQ(Drag({300, 200}, {295, 195}), (Rect{295, 195, 5, 5}));
}

TEST(RegionSelection, DragInAnyDirectionGivesTheSameRectangle) {
  EXPECT_EQ(Drag({300, 200}, {100, 50}), (Rect{100, 50, 200, 150}));
  EXPECT_EQ(Drag({100, 50}, {300, 200}), (Rect{100, 50, 200, 150}));
  EXPECT_EQ(Drag({100, 200}, {300, 50}), (Rect{100, 50, 200, 150}));
  EXPECT_EQ(Drag({300, 50}, {100, 200}), (Rect{100, 50, 200, 150}));
}

TEST(RegionSelection, ReleaseReordersTheStoredPointsAndEndsTheDrag) {
  RegionSelection state;
  BeginRegionDrag(state, {300, 200});
  ASSERT_TRUE(FinishRegionDrag(state, {100, 50}, kScreen));
  EXPECT_EQ(state.start, (Point{100, 50}));
  EXPECT_EQ(state.current, (Point{300, 200}));
  EXPECT_FALSE(state.dragging);
  // A second release without a new press is not a selection.
  EXPECT_EQ(FinishRegionDrag(state, {10, 10}, kScreen), std::nullopt);
}

TEST(RegionSelection, ReleaseWithoutPressInThisOverlayIsIgnored) {
  RegionSelection state;
  ResetRegionSelection(state);
  EXPECT_EQ(FinishRegionDrag(state, {400, 300}, kScreen), std::nullopt);
  // A drag left unfinished in an earlier overlay does not carry over into a new one.
  BeginRegionDrag(state, {10, 10});
  ResetRegionSelection(state);
  EXPECT_EQ(FinishRegionDrag(state, {400, 300}, kScreen), std::nullopt);
  EXPECT_FALSE(TakeBandRedrawTurn(state));
}

TEST(RegionSelection, OnlyEverySecondMoveOfADragRedraws) {
  RegionSelection state;
  ResetRegionSelection(state);
  std::vector<bool> turns;
  for (int i = 0; i < 2; ++i) turns.push_back(TakeBandRedrawTurn(state));
  BeginRegionDrag(state, {0, 0});
  for (int i = 0; i < 5; ++i) turns.push_back(TakeBandRedrawTurn(state));
  FinishRegionDrag(state, {50, 50}, kScreen);
  turns.push_back(TakeBandRedrawTurn(state));
  EXPECT_THAT(turns, ::testing::ElementsAre(false, false, true, false, true, false, true, false));
  EXPECT_FALSE(state.redrawToggle);
}

TEST(RubberBand, FrameAndLabelStayAtTheStartCorner) {
  RegionSelection state;
  ResetRegionSelection(state);
  BeginRegionDrag(state, {300, 200});
  const RubberBand band = UpdateRubberBand(state, {250, 260}, 13);
  EXPECT_EQ(band.selection, (Rect{250, 200, 50, 60}));
  EXPECT_EQ(band.frame, (Rect{300, 200, -50, 60}));
  EXPECT_EQ(band.labelPosition, (Point{300, 187}));
  EXPECT_EQ(SizeLabel({band.selection.width, band.selection.height}), L"50 x 60");
  EXPECT_EQ(UpdateRubberBand(state, {100, 50}, 13).frame, (Rect{300, 200, -200, -150}));
}

TEST(RubberBand, ShrinkingEitherSideErasesGrowingDoesNot) {
  RegionSelection state;
  ResetRegionSelection(state);
  BeginRegionDrag(state, {100, 100});
  std::vector<bool> erased;
  for (const Point p : {Point{200, 200}, Point{250, 180}, Point{260, 190}, Point{150, 190},
                        Point{150, 190}, Point{40, 40}}) {
    erased.push_back(UpdateRubberBand(state, p, 13).eraseFirst);
  }
  // (40, 40) lies on the other side of the start: 60 x 60 after 50 x 90 shrinks the height.
  EXPECT_THAT(erased, ::testing::ElementsAre(false, true, false, true, false, true));
  EXPECT_EQ(state.previous, (Size{60, 60}));
  // A new overlay forgets the old band.
  ResetRegionSelection(state);
  BeginRegionDrag(state, {0, 0});
  EXPECT_FALSE(UpdateRubberBand(state, {1, 1}, 13).eraseFirst);
}

constexpr Edges kWindow{100, 50, 916, 657};
constexpr Edges kClient{0, 0, 800, 580};
constexpr Edges kWideScreen{-4000, -4000, 4000, 4000};

// The bounds of a window that is neither maximised nor near the screen's edges, where the
// compositor says nothing: the border rule alone.
Edges BorderRuleBounds(const Edges& window, int border) {
  return PickedWindowBounds({window, std::nullopt, border, false, kWideScreen, kWideScreen});
}

TEST(WindowSelection, InvisibleBorderIsTrimmedOnWindows10TopLevelWindows) {
  const int border = WindowBorder(true, true, kWindow, kClient);
  EXPECT_EQ(border, 8);
  EXPECT_EQ(WindowSelectionRect(BorderRuleBounds(kWindow, border), {0, 0}),
            (Rect{108, 50, 800, 599}));
  EXPECT_EQ(WindowBorder(false, true, kWindow, kClient), 0);  // Windows 7
  EXPECT_EQ(WindowSelectionRect(BorderRuleBounds(kWindow, 0), {0, 0}), (Rect{100, 50, 816, 607}));
  EXPECT_EQ(WindowBorder(true, false, kWindow, kClient), 0);  // owned window or child control
  EXPECT_EQ(WindowBorder(true, true, {0, 0, 817, 600}, kClient), 8);  // 17 / 2 truncated
  EXPECT_EQ(WindowBorder(true, true, {0, 0, 700, 600}, kClient), 0);  // stale client rectangle
}

TEST(WindowSelection, OverlayCoordinatesFollowTheVirtualScreenOrigin) {
  // A left monitor at negative coordinates moves the overlay's origin.
  EXPECT_EQ(WindowSelectionRect(BorderRuleBounds({-1000, -30, -184, 577}, 8), {-1920, -40}),
            (Rect{928, 10, 800, 599}));
  EXPECT_EQ(WindowLabelPosition({928, 10, 800, 599}), (Point{929, 11}));
}

TEST(WindowSelection, EdgesOfTheLastRectangleCountAsInside) {
  EXPECT_FALSE(IsOutsideRect(kWindow, {100, 50}));
  EXPECT_FALSE(IsOutsideRect(kWindow, {916, 657}));
  EXPECT_FALSE(IsOutsideRect(kWindow, {500, 300}));
  EXPECT_TRUE(IsOutsideRect(kWindow, {99, 300}));
  EXPECT_TRUE(IsOutsideRect(kWindow, {917, 300}));
  EXPECT_TRUE(IsOutsideRect(kWindow, {500, 49}));
  EXPECT_TRUE(IsOutsideRect(kWindow, {500, 658}));
}

TEST(WindowSelection, ReleaseCapturesOnlyAHighlightedWindow) {
  WindowSelection state;
  ResetWindowSelection(state);
  EXPECT_EQ(FinishWindowPick(state, {0, 0}), std::nullopt);
  RecordPickedWindow(state, kWindow, BorderRuleBounds(kWindow, 8));
  EXPECT_EQ(state.lastWindowRect, kWindow);
  EXPECT_EQ(FinishWindowPick(state, {0, 0}), (Rect{108, 50, 800, 599}));
  // The next window command starts over.
  ResetWindowSelection(state);
  EXPECT_EQ(state.lastWindowRect, Edges{});
  EXPECT_EQ(FinishWindowPick(state, {0, 0}), std::nullopt);
  // A window with nothing left inside its border yields no capture.
  RecordPickedWindow(state, {10, 10, 20, 40}, BorderRuleBounds({10, 10, 20, 40}, 5));
  EXPECT_EQ(FinishWindowPick(state, {0, 0}), std::nullopt);
}

// A desk of two monitors: the primary 1920 x 1080 at (0, 0) and one 1280 x 1024 on its left,
// reaching higher.
constexpr Edges kPrimary{0, 0, 1920, 1080};
constexpr Edges kLeftMonitor{-1280, -200, 0, 824};
constexpr Edges kDesk{-1280, -200, 1920, 1080};

TEST(WindowBounds, TheCompositorsBoundsAreTakenAsTheyAre) {
  // It leaves out the invisible borders on every side, the top's too; the border rule is not
  // applied on top of it.
  const PickedWindow window{kWindow, Edges{107, 51, 909, 650}, 8, false, kPrimary, kDesk};
  EXPECT_EQ(PickedWindowBounds(window), (Edges{107, 51, 909, 650}));
  // Without it (composition off, or it does not say), the border rule.
  EXPECT_EQ(PickedWindowBounds({kWindow, std::nullopt, 8, false, kPrimary, kDesk}),
            (Edges{108, 50, 908, 649}));
}

TEST(WindowBounds, AMaximisedWindowStaysOnItsMonitor) {
  // Maximised on the primary: its frame reaches 8 pixels past the monitor on every side, onto
  // the left monitor and off the screen at the top.
  const Edges maximised{-8, -8, 1928, 1088};
  EXPECT_EQ(PickedWindowBounds({maximised, std::nullopt, 8, true, kPrimary, kDesk}), kPrimary);
  EXPECT_EQ(PickedWindowBounds({maximised, std::nullopt, 0, true, kPrimary, kDesk}), kPrimary);
  EXPECT_EQ(PickedWindowBounds({maximised, maximised, 0, true, kPrimary, kDesk}), kPrimary);
  // Maximised on the left monitor, whose edges are negative.
  const Edges leftMaximised{-1288, -208, 8, 832};
  EXPECT_EQ(PickedWindowBounds({leftMaximised, std::nullopt, 8, true, kLeftMonitor, kDesk}),
            kLeftMonitor);
  // Not maximised, the same rectangle only loses what lies off the screen: it may span monitors.
  EXPECT_EQ(PickedWindowBounds({maximised, std::nullopt, 8, false, kPrimary, kDesk}),
            (Edges{0, -8, 1920, 1080}));
  EXPECT_EQ(PickedWindowBounds({{-300, 100, 300, 500}, std::nullopt, 0, false, kPrimary, kDesk}),
            (Edges{-300, 100, 300, 500}));
}

TEST(WindowBounds, AWindowOffTheScreenGivesNothingToCapture) {
  // A minimised window lies far off the screen.
  WindowSelection state;
  const Edges minimised{-32000, -32000, -31840, -31972};
  const Edges bounds = PickedWindowBounds({minimised, std::nullopt, 0, false, kPrimary, kDesk});
  EXPECT_EQ(bounds, Edges{});
  RecordPickedWindow(state, minimised, bounds);
  EXPECT_EQ(FinishWindowPick(state, {kDesk.left, kDesk.top}), std::nullopt);
  // Half off the right edge: only the part on the screen.
  EXPECT_EQ(PickedWindowBounds({{1800, 100, 2100, 300}, std::nullopt, 0, false, kPrimary, kDesk}),
            (Edges{1800, 100, 1920, 300}));
}

}  // namespace
}  // namespace orv
