// The rules that hold across the routing table's rows, checked on every event there is.
#include "app/dispatch.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace orv {
namespace {

using enum Step;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::vector<Step> Steps(const Event& event) {
  const auto steps = Route(event);
  return {steps.begin(), steps.end()};
}

// Every event a window can queue, and a few it cannot, with its row.
std::vector<std::vector<Step>> EveryRow() {
  std::vector<std::vector<Step>> rows;
  for (int type = 0; type < 8; ++type) {
    rows.push_back(Steps(TrayEvent{.type = static_cast<TrayEventType>(type)}));
  }
  for (int id = 0; id < 64; ++id) {
    rows.push_back(
        Steps(CommandEvent{.window = WindowId::Main, .command = static_cast<CommandId>(id)}));
    rows.push_back(
        Steps(ControlEvent{.window = WindowId::Preview, .control = static_cast<ControlId>(id)}));
  }
  rows.push_back(Steps(SelectionEvent{}));
  return rows;
}

std::ptrdiff_t Where(const std::vector<Step>& row, Step step) {
  const auto found = std::ranges::find(row, step);
  return found == row.end() ? -1 : found - row.begin();
}
bool Has(const std::vector<Step>& row, Step step) {
  return Where(row, step) >= 0;
}

TEST(Dispatch, EveryCaptureIsTurnedAwayDuringASelectionAndPausesBeforeItGrabs) {
  int captures = 0;
  for (const std::vector<Step>& row : EveryRow()) {
    for (const Step grab : {SelectRegion, PickWindow, CaptureFullScreen}) {
      if (!Has(row, grab)) continue;
      ++captures;
      EXPECT_EQ(row.front(), EndIfSelecting);
      EXPECT_THAT(std::vector(row.begin() + 1, row.end()), ElementsAre(PauseBeforeCapture, grab));
    }
  }
  EXPECT_EQ(captures, 4);  // the tray icon's left press and the three capture commands
}

TEST(Dispatch, EveryWayOutOfThePreviewReleasesBothImagesAfterTheOutput) {
  const Step outputs[] = {CopyToClipboard, PrintWithDialog, PrintToDefault, SaveCaptureToFile,
                          OpenInPaint};
  int ways = 0;
  for (const std::vector<Step>& row : EveryRow()) {
    if (!Has(row, ClosePreviewWindow) && !Has(row, CloseReview)) continue;
    ++ways;
    // The paint program takes both images; every other way ends by closing the review.
    EXPECT_TRUE(row.back() == CloseReview || row.back() == OpenInPaint);
    for (const Step output : outputs) {
      if (Has(row, output)) {
        EXPECT_EQ(Where(row, ClosePreviewWindow), 0);  // the preview closes first
      }
    }
  }
  EXPECT_EQ(ways, 7);  // Escape, Cancel and five outputs
}

TEST(Dispatch, SettingsAreShownAsTheyAreAndKeptAsSoonAsTheyChange) {
  for (const std::vector<Step>& row : EveryRow()) {
    if (Has(row, ShowTrayMenu)) {
      EXPECT_EQ(Where(row, SetAutostartCheckFromSetting), 0);
    }
    if (Has(row, ToggleAutostart)) {
      EXPECT_THAT(row, ElementsAre(ToggleAutostart, ApplyAutostart));
    }
    if (Has(row, ToggleFitToPaper)) {
      EXPECT_THAT(row, ElementsAre(ToggleFitToPaper, SavePreferences));
    }
  }
}

TEST(Dispatch, DoubleClicksLabelsAndUnknownNumbersDoNothing) {
  EXPECT_THAT(Steps(TrayEvent{.type = TrayEventType::LeftDoubleClick}), IsEmpty());
  EXPECT_THAT(Steps(TrayEvent{.type = TrayEventType::RightDoubleClick}), IsEmpty());
  for (const ControlId label : {ControlId::SizeLabel, ControlId::Canvas, ControlId::AboutName}) {
    EXPECT_THAT(Steps(ControlEvent{.window = WindowId::Preview, .control = label}), IsEmpty());
  }
  EXPECT_THAT(Steps(CommandEvent{.window = WindowId::Main, .command = CommandId{2}}), IsEmpty());
  // Whatever a selection cut out, its end closes the overlay and reviews it.
  EXPECT_THAT(Steps(SelectionEvent{.cutOut = Rect{1, 2, 3, 4}}), ElementsAre(EndSelection));
}

}  // namespace
}  // namespace orv
