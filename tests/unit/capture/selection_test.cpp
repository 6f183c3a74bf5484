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

TEST(WindowSelection, InvisibleBorderIsTrimmedOnWindows10TopLevelWindows) {
  const int border = WindowBorder(true, true, kWindow, kClient);
  EXPECT_EQ(border, 8);
  EXPECT_EQ(WindowSelectionRect(kWindow, border, {0, 0}), (Rect{108, 50, 800, 599}));
  EXPECT_EQ(WindowBorder(false, true, kWindow, kClient), 0);  // Windows 7
  EXPECT_EQ(WindowSelectionRect(kWindow, 0, {0, 0}), (Rect{100, 50, 816, 607}));
  EXPECT_EQ(WindowBorder(true, false, kWindow, kClient), 0);  // owned window or child control
  EXPECT_EQ(WindowBorder(true, true, {0, 0, 817, 600}, kClient), 8);  // 17 / 2 truncated
  EXPECT_EQ(WindowBorder(true, true, {0, 0, 700, 600}, kClient), 0);  // stale client rectangle
}

TEST(WindowSelection, OverlayCoordinatesFollowTheVirtualScreenOrigin) {
  // A left monitor at negative coordinates moves the overlay's origin.
  EXPECT_EQ(WindowSelectionRect({-1000, -30, -184, 577}, 8, {-1920, -40}),
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
  RecordPickedWindow(state, kWindow, 8);
  EXPECT_EQ(state.lastWindowRect, kWindow);
  EXPECT_EQ(FinishWindowPick(state, {0, 0}), (Rect{108, 50, 800, 599}));
  // The next window command starts over.
  ResetWindowSelection(state);
  EXPECT_EQ(state.lastWindowRect, Edges{});
  EXPECT_EQ(FinishWindowPick(state, {0, 0}), std::nullopt);
  // A window with nothing left inside its border yields no capture.
  RecordPickedWindow(state, {10, 10, 20, 40}, 5);
  EXPECT_EQ(FinishWindowPick(state, {0, 0}), std::nullopt);
}

}  // namespace
}  // namespace orv
