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
std::vector<Step> Tray(TrayEventType type) {
  return Steps(TrayEvent{.type = type});
}
std::vector<Step> Command(CommandId id) {
  return Steps(CommandEvent{.window = WindowId::Main, .command = id});
}
std::vector<Step> Command(int id) {
  return Command(static_cast<CommandId>(id));
}
std::vector<Step> Control(ControlId id, WindowId window = WindowId::Preview) {
  return Steps(ControlEvent{.window = window, .control = id});
}
std::vector<Step> Mouse(PointerAction action, WindowId window) {
  return Steps(PointerEvent{.window = window, .action = action});
}

TEST(Dispatch, TrayPressesActAndDoubleClicksDoNothing) {
  EXPECT_THAT(Tray(TrayEventType::RightPress),
              ElementsAre(SetAutostartCheckFromSetting, ShowTrayMenu));
  EXPECT_THAT(Tray(TrayEventType::LeftPress),
              ElementsAre(SetModeRegion, PauseBeforeCapture, OpenSelectionOverlay));
  EXPECT_THAT(Tray(TrayEventType::LeftDoubleClick), IsEmpty());
  EXPECT_THAT(Tray(TrayEventType::RightDoubleClick), IsEmpty());
  EXPECT_THAT(Tray(static_cast<TrayEventType>(7)), IsEmpty());
}

TEST(Dispatch, CaptureCommandsSetTheModeAndPauseBeforeGrabbing) {
  EXPECT_THAT(Command(CommandId::CaptureScreen),
              ElementsAre(SetModeScreen, PauseBeforeCapture, CaptureFullScreen, OpenPreviewWindow));
  EXPECT_THAT(Command(CommandId::CaptureRegion),
              ElementsAre(SetModeRegion, PauseBeforeCapture, OpenSelectionOverlay));
  EXPECT_THAT(
      Command(CommandId::CaptureWindow),
      ElementsAre(SetModeWindow, PauseBeforeCapture, ResetWindowPick, OpenSelectionOverlay));
}

TEST(Dispatch, MenuCommandsReachTheirActions) {
  EXPECT_THAT(Command(CommandId::ClosePreview),
              ElementsAre(ClosePreviewWindow, FreeCapture, FreePrintImage, FreeBackupImage));
  EXPECT_THAT(Command(CommandId::ToggleAutostart),
              ElementsAre(ToggleAutostartCheck, ApplyAutostart));
  EXPECT_THAT(Command(CommandId::Help), ElementsAre(OpenHelp));
  EXPECT_THAT(Command(CommandId::Donate), ElementsAre(OpenDonate));
  EXPECT_THAT(Command(CommandId::MoreTools), ElementsAre(OpenMoreTools));
  EXPECT_THAT(Command(CommandId::About), ElementsAre(OpenAboutWindow));
  EXPECT_THAT(Command(CommandId::Information), ElementsAre(ShowInformation));
  EXPECT_THAT(Command(CommandId::Quit), ElementsAre(Quit));
  EXPECT_THAT(Command(99), IsEmpty());
  EXPECT_THAT(Command(2), IsEmpty());
}

TEST(Dispatch, OutputButtonsCloseThePreviewFirstAndFreeWhatTheyMayHaveMade) {
  EXPECT_THAT(Control(ControlId::Cancel),
              ElementsAre(ClosePreviewWindow, FreeCapture, FreeBackupImage));
  EXPECT_THAT(Control(ControlId::Clipboard),
              ElementsAre(ClosePreviewWindow, CopyToClipboard, FreeCapture, FreeBackupImage));
  EXPECT_THAT(Control(ControlId::PrintWithDialog),
              ElementsAre(ClosePreviewWindow, PrintWithDialog, FreeCapture, FreePrintImage,
                          FreeBackupImage));
  EXPECT_THAT(Control(ControlId::PrintToDefault),
              ElementsAre(ClosePreviewWindow, PrintToDefault, FreeCapture, FreePrintImage,
                          FreeBackupImage));
  EXPECT_THAT(Control(ControlId::Paint), ElementsAre(ClosePreviewWindow, OpenInPaint));
  EXPECT_THAT(Control(ControlId::SaveToFile),
              ElementsAre(ClosePreviewWindow, SaveCaptureToFile, FreeCapture, FreeBackupImage));
}

TEST(Dispatch, IconButtonsChangeTheCaptureAndRedrawThePreview) {
  EXPECT_THAT(Control(ControlId::FitToPaper), ElementsAre(ToggleFitToPaper, SavePreferences));
  EXPECT_THAT(Control(ControlId::Printers), ElementsAre(OpenPrintersFolder));
  EXPECT_THAT(Control(ControlId::Restore),
              ElementsAre(FreeCapture, CopyBackupToCapture, RefreshPreview));
  EXPECT_THAT(Control(ControlId::Rotate), ElementsAre(RotateCapture, RefreshPreview));
  EXPECT_THAT(Control(ControlId::Negative), ElementsAre(MakeNegative, RefreshPreview));
  EXPECT_THAT(Control(ControlId::Grey), ElementsAre(MakeGrey, RefreshPreview));
  EXPECT_THAT(Control(ControlId::AboutClose, WindowId::About), ElementsAre(CloseAboutWindow));
  EXPECT_THAT(Control(ControlId::AboutLink, WindowId::About),
              ElementsAre(OpenAboutLink, CloseAboutWindow));
  // Labels and the canvas are controls too, but activating them does nothing.
  EXPECT_THAT(Control(ControlId::SizeLabel), IsEmpty());
  EXPECT_THAT(Control(ControlId::Canvas), IsEmpty());
}

TEST(Dispatch, MouseEventsCountOnTheSelectionOverlayAndThePreviewsPicture) {
  EXPECT_THAT(Mouse(PointerAction::Move, WindowId::SelectionOverlay),
              ElementsAre(OverlayPointerMove));
  EXPECT_THAT(Mouse(PointerAction::LeftPress, WindowId::SelectionOverlay),
              ElementsAre(OverlayLeftPress));
  // The release handler ends the row when it captured nothing; otherwise the preview follows.
  EXPECT_THAT(Mouse(PointerAction::LeftRelease, WindowId::SelectionOverlay),
              ElementsAre(OverlayLeftRelease, OpenPreviewWindow));
  // On the preview's picture a press, the moves after it and the release drag it out, and
  // nothing else happens: the preview stays open.
  EXPECT_THAT(Mouse(PointerAction::LeftPress, WindowId::Preview), ElementsAre(PressOnPicture));
  EXPECT_THAT(Mouse(PointerAction::Move, WindowId::Preview), ElementsAre(DragPictureOut));
  EXPECT_THAT(Mouse(PointerAction::LeftRelease, WindowId::Preview), ElementsAre(ReleaseOnPicture));
  for (WindowId other : {WindowId::Main, WindowId::About}) {
    EXPECT_THAT(Mouse(PointerAction::Move, other), IsEmpty());
    EXPECT_THAT(Mouse(PointerAction::LeftPress, other), IsEmpty());
    EXPECT_THAT(Mouse(PointerAction::LeftRelease, other), IsEmpty());
  }
}

TEST(Dispatch, EveryCaptureStartsBySettingTheMode) {
  // Setting the mode is where a request that arrives during a selection is turned away, so no
  // row may grab the screen or open the overlay before it.
  std::vector<std::vector<Step>> rows = {Tray(TrayEventType::LeftPress)};
  for (int command = 0; command < 20; ++command) {
    rows.push_back(Command(command));
  }
  const auto grabs = [](const std::vector<Step>& steps) {
    return std::ranges::find(steps, OpenSelectionOverlay) != steps.end() ||
           std::ranges::find(steps, CaptureFullScreen) != steps.end();
  };
  int captures = 0;
  for (const auto& steps : rows) {
    if (!grabs(steps)) continue;
    ++captures;
    EXPECT_TRUE(steps.front() == SetModeRegion || steps.front() == SetModeScreen ||
                steps.front() == SetModeWindow);
  }
  EXPECT_EQ(captures, 4);
}

TEST(Dispatch, PointerShapeFollowsTheModeOnlyOverTheOverlay) {
  const Event overlay =
      PointerEvent{.window = WindowId::SelectionOverlay, .action = PointerAction::Move};
  const Event preview = PointerEvent{.window = WindowId::Preview, .action = PointerAction::Move};
  EXPECT_EQ(PointerFor(overlay, CaptureMode::ModeRegion), PointerShape::Cross);
  EXPECT_EQ(PointerFor(overlay, CaptureMode::ModeWindow), PointerShape::Hand);
  EXPECT_EQ(PointerFor(overlay, CaptureMode::ModeScreen), PointerShape::Unchanged);
  EXPECT_EQ(PointerFor(preview, CaptureMode::ModeRegion), PointerShape::Unchanged);
}

}  // namespace
}  // namespace orv
