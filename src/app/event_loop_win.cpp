#include "app/event_loop_win.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <iterator>

#include "app/about_window_win.h"
#include "app/dispatch.h"
#include "app/help_commands_win.h"
#include "base/fault_location.h"
#include "capture/screen_grab_win.h"
#include "capture/selection_overlay_win.h"
#include "capture/selection_win.h"
#include "output/clipboard_win.h"
#include "output/export_win.h"
#include "output/paint_win.h"
#include "output/preview_window_win.h"
#include "output/print_win.h"
#include "output/transforms_win.h"
#include "runtime/app_state_win.h"
#include "runtime/images_win.h"
#include "settings/autostart.h"
#include "settings/autostart_win.h"
#include "settings/preferences_win.h"
#include "win/system.h"

namespace orv {
namespace {

enum class StepOutcome {
  Next,     // go on with the row's next step
  EndRow,   // the rest of the row does not apply
  EndLoop,  // the quit command
};

using StepFunction = StepOutcome (*)(MainWindow& main);

// One row per step: what it runs, and the location it marks first (its own line in this file),
// so that a fatal-error report names the step that was running.
struct StepRow {
  consteval StepRow(Step step, StepFunction run, int line)
      : step(step), run(run), location(LocationOf(__FILE__, line)) {}
  Step step;
  StepFunction run;
  std::int32_t location;
};

// A step that calls one function of its module, with fixed arguments, and goes on.
template <auto Action, auto... arguments>
StepOutcome Then(MainWindow&) {
  Action(arguments...);
  return StepOutcome::Next;
}

// A capture starts by setting the mode. While a selection is on screen a new request is
// ignored: it would grab our own overlay and change the mode under the selection in progress.
template <CaptureMode mode>
StepOutcome StartCapture(MainWindow&) {
  if (IsSelectionOverlayOpen()) return StepOutcome::EndRow;
  App().CaptureMode = mode;
  return StepOutcome::Next;
}

// The mark shows whether the program starts with Windows, by the same rule that writes the Run
// value: a hand-edited 5 is on, and so is its mark.
StepOutcome ShowAutostartSetting(MainWindow& main) {
  main.Tray().SetAutostartCheck(IsAutostartOn(App().Settings.LoadOnWindowsStart));
  return StepOutcome::Next;
}

StepOutcome ShowTrayMenu(MainWindow& main) {
  main.Tray().ShowMenu();
  return StepOutcome::Next;
}

StepOutcome ToggleAutostartCheck(MainWindow& main) {
  const bool checked = main.Tray().IsAutostartChecked();
  App().Settings.LoadOnWindowsStart = checked ? 0 : 1;
  main.Tray().SetAutostartCheck(!checked);
  return StepOutcome::Next;
}

StepOutcome EndLoop(MainWindow&) {
  return StepOutcome::EndLoop;
}

// Only a release that made a capture goes on to the preview.
StepOutcome FinishSelection(MainWindow&) {
  return OnOverlayLeftRelease() ? StepOutcome::Next : StepOutcome::EndRow;
}

constexpr StepRow kSteps[] = {
    {Step::SetAutostartCheckFromSetting, ShowAutostartSetting, __LINE__},
    {Step::ShowTrayMenu, ShowTrayMenu, __LINE__},
    {Step::SetModeRegion, StartCapture<CaptureMode::ModeRegion>, __LINE__},
    {Step::SetModeScreen, StartCapture<CaptureMode::ModeScreen>, __LINE__},
    {Step::SetModeWindow, StartCapture<CaptureMode::ModeWindow>, __LINE__},
    {Step::PauseBeforeCapture, Then<win::Pause, 300>, __LINE__},
    {Step::ResetWindowPick, Then<ResetWindowPick>, __LINE__},
    {Step::OpenSelectionOverlay, Then<OpenSelectionOverlay>, __LINE__},
    {Step::CaptureFullScreen, Then<CaptureFullScreen>, __LINE__},
    {Step::OpenPreviewWindow, Then<OpenPreviewWindow>, __LINE__},
    {Step::ClosePreviewWindow, Then<ClosePreviewWindow>, __LINE__},
    {Step::FreeCapture, Then<Images::Free, ImageId::Capture>, __LINE__},
    {Step::FreePrintImage, Then<Images::Free, ImageId::PrintImage>, __LINE__},
    {Step::FreeBackupImage, Then<Images::Free, ImageId::BackupImage>, __LINE__},
    {Step::ToggleAutostartCheck, ToggleAutostartCheck, __LINE__},
    {Step::ApplyAutostart, Then<ApplyAutostart>, __LINE__},
    {Step::OpenHelp, Then<OpenHelpDocument>, __LINE__},
    {Step::OpenDonate, Then<OpenDonatePage>, __LINE__},
    {Step::OpenMoreTools, Then<OpenMoreToolsPage>, __LINE__},
    {Step::OpenAboutWindow, Then<OpenAboutWindow>, __LINE__},
    {Step::ShowInformation, Then<ShowInformation>, __LINE__},
    {Step::Quit, EndLoop, __LINE__},
    {Step::CopyToClipboard, Then<CopyToClipboard>, __LINE__},
    {Step::PrintWithDialog, Then<PrintCapture, false>, __LINE__},
    {Step::PrintToDefault, Then<PrintCapture, true>, __LINE__},
    {Step::ToggleFitToPaper, Then<FollowFitToPaperToggle>, __LINE__},
    {Step::SavePreferences, Then<SavePreferences>, __LINE__},
    {Step::OpenPrintersFolder, Then<OpenPrintersFolder>, __LINE__},
    {Step::CopyBackupToCapture, Then<CopyBackupToCapture>, __LINE__},
    {Step::RefreshPreview, Then<RefreshPreview>, __LINE__},
    {Step::RotateCapture, Then<RotateImage, ImageId::Capture>, __LINE__},
    {Step::MakeNegative, Then<MakeImageNegative, ImageId::Capture>, __LINE__},
    {Step::MakeGrey, Then<MakeImageGrey, ImageId::Capture>, __LINE__},
    {Step::OpenInPaint, Then<OpenInPaint>, __LINE__},
    {Step::SaveCaptureToFile, Then<SaveCaptureToFile>, __LINE__},
    {Step::CloseAboutWindow, Then<CloseAboutWindow>, __LINE__},
    {Step::OpenAboutLink, Then<OpenAboutLink>, __LINE__},
    {Step::OverlayPointerMove, Then<OnOverlayPointerMove>, __LINE__},
    {Step::OverlayLeftPress, Then<OnOverlayLeftPress>, __LINE__},
    {Step::OverlayLeftRelease, FinishSelection, __LINE__},
};

// Every step has its row, at the position of its number, so that the loop finds it by indexing,
// and every row a line of its own.
consteval bool EveryStepInOrder() {
  if (std::size(kSteps) != static_cast<std::size_t>(Step::Count)) return false;
  for (std::size_t i = 0; i < std::size(kSteps); ++i) {
    if (kSteps[i].step != static_cast<Step>(i)) return false;
    if (i > 0 && kSteps[i].location <= kSteps[i - 1].location) return false;
  }
  return true;
}
static_assert(EveryStepInOrder(), "kSteps holds one row per Step, in order, each on its own line");

// Blocks until an event is queued; false when the message queue was told to quit.
bool WaitForEvent(Event& event) {
  EventQueue& events = App().Events;
  while (!events.Take(event)) {
    // A fault while waiting is not one of the steps that ran before.
    ORV_TRACE_LOCATION();
    MSG message;
    if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) return false;
      // Escape first: in the preview it is a command of its own, not a dialog key.
      if (events.TranslateEscapeKey(message)) continue;
      ORV_TRACE_LOCATION();
      // The preview and about windows take Tab, Space and Enter as a dialog box does; what
      // their keys press arrives as the clicks do, as a queued control event.
      if (events.HandleDialogMessage(message)) continue;
      TranslateMessage(&message);
      DispatchMessageW(&message);
      continue;
    }
    // Messages sent from other threads (the tray icon's notifications among them) are handled
    // inside PeekMessageW without being returned, so wait for sent messages too, not only for
    // posted ones as GetMessageW would.
    MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
  return true;
}

void ApplyPointerShape(const Event& event) {
  const AppState& app = App();
  switch (PointerFor(event, app.CaptureMode)) {
    case PointerShape::Cross:
      SetCursor(app.CrossCursor);
      break;
    case PointerShape::Hand:
      SetCursor(app.HandCursor);
      break;
    case PointerShape::Unchanged:
      break;
  }
}

}  // namespace

void RunEventLoop(MainWindow& main) {
  Event event;
  while (WaitForEvent(event)) {
    ApplyPointerShape(event);
    for (const Step step : Route(event)) {
      const StepRow& row = kSteps[static_cast<std::size_t>(step)];
      MarkFaultLocation(row.location);
      const StepOutcome outcome = row.run(main);
      if (outcome == StepOutcome::EndLoop) return;
      if (outcome == StepOutcome::EndRow) break;
    }
  }
}

}  // namespace orv
