#include "app/event_loop_win.h"

#include <windows.h>

#include <optional>
#include <utility>

#include "app/dispatch.h"
#include "app/help_commands_win.h"
#include "base/fault_location.h"
#include "capture/screen_grab_win.h"
#include "output/clipboard_win.h"
#include "output/export_win.h"
#include "output/print_win.h"
#include "settings/autostart.h"
#include "settings/autostart_win.h"
#include "settings/preferences_win.h"
#include "win/system.h"

namespace orv {
namespace {

// The pause before a capture, in which the tray menu closes, so that it is not in the picture.
constexpr DWORD kCaptureDelay = 300;

enum class StepOutcome {
  Next,     // go on with the row's next step
  EndRow,   // the rest of the row does not apply
  EndLoop,  // the quit command
};

// The steps, each run by its own case, on the owners the shell made.
class Steps {
 public:
  explicit Steps(const Owners& owners)
      : app_(owners.app),
        overlay_(owners.overlay),
        review_(owners.review),
        settings_(owners.app.Settings),
        folders_(owners.app.folders),
        main_(owners.app.main.Handle()) {}

  // Runs a step of the event's row.
  StepOutcome Run(Step step, const Event& event);

 private:
  StepOutcome EndIfSelecting() const;
  void SetAutostartCheckFromSetting();
  void ToggleAutostart();
  StepOutcome Review(win::DibImage capture);
  bool Fit() const { return settings_.FitPaperOrientation != 0; }

  Application& app_;
  SelectionOverlay& overlay_;
  CaptureReview& review_;
  Settings& settings_;
  const Folders& folders_;
  const HWND main_;  // what the clipboard, the dialogs and the boxes answer to
};

// What a selection cut out; nothing for any other event.
std::optional<Rect> CutOutOf(const Event& event) {
  const auto* selection = std::get_if<SelectionEvent>(&event);
  return selection ? selection->cutOut : std::nullopt;
}

// One case per step, each on a line of its own with its mark, so that a fatal-error report names
// the step that was running; a step without its case does not compile (-Wswitch).
StepOutcome Steps::Run(Step step, const Event& event) {
  using enum Step;
  // clang-format off
  switch (step) {
    case SetAutostartCheckFromSetting: ORV_TRACE_LOCATION(); this->SetAutostartCheckFromSetting(); break;
    case ShowTrayMenu: ORV_TRACE_LOCATION(); app_.main.Tray().ShowMenu(); break;
    case EndIfSelecting: ORV_TRACE_LOCATION(); return this->EndIfSelecting();
    case PauseBeforeCapture: ORV_TRACE_LOCATION(); win::Pause(kCaptureDelay); break;
    case SelectRegion: ORV_TRACE_LOCATION(); overlay_.Open(CaptureMode::ModeRegion); break;
    case PickWindow: ORV_TRACE_LOCATION(); overlay_.Open(CaptureMode::ModeWindow); break;
    case CaptureFullScreen: ORV_TRACE_LOCATION(); return Review(orv::CaptureFullScreen());
    case EndSelection: ORV_TRACE_LOCATION(); return Review(overlay_.EndSelection(CutOutOf(event)));
    case ClosePreviewWindow: ORV_TRACE_LOCATION(); review_.ClosePreviewWindow(); break;
    case CloseReview: ORV_TRACE_LOCATION(); review_.Close(); break;
    case ToggleAutostart: ORV_TRACE_LOCATION(); this->ToggleAutostart(); break;
    case ApplyAutostart: ORV_TRACE_LOCATION(); orv::ApplyAutostart(settings_); break;
    case OpenHelp: ORV_TRACE_LOCATION(); orv::OpenHelp(folders_.ProgramDir); break;
    case OpenDonate: ORV_TRACE_LOCATION(); orv::OpenDonate(); break;
    case OpenMoreTools: ORV_TRACE_LOCATION(); orv::OpenMoreTools(); break;
    case OpenAboutWindow: ORV_TRACE_LOCATION(); app_.about.Open(); break;
    case ShowInformation: ORV_TRACE_LOCATION(); orv::ShowInformation(main_); break;
    case Quit: ORV_TRACE_LOCATION(); return StepOutcome::EndLoop;
    case CopyToClipboard: ORV_TRACE_LOCATION(); app_.clipboard.Copy(review_.HandOver(), main_); break;
    case PrintWithDialog: ORV_TRACE_LOCATION(); orv::PrintWithDialog(review_.Capture(), Fit(), main_); break;
    case PrintToDefault: ORV_TRACE_LOCATION(); orv::PrintToDefault(review_.Capture(), Fit(), main_); break;
    case ToggleFitToPaper: ORV_TRACE_LOCATION(); review_.ToggleFitToPaper(); break;
    case SavePreferences: ORV_TRACE_LOCATION(); orv::SavePreferences(settings_, folders_); break;
    case OpenPrintersFolder: ORV_TRACE_LOCATION(); orv::OpenPrintersFolder(folders_.WindowsDir); break;
    case CopyBackupToCapture: ORV_TRACE_LOCATION(); review_.CopyBackupToCapture(); break;
    case RotateCapture: ORV_TRACE_LOCATION(); review_.RotateCapture(); break;
    case MakeNegative: ORV_TRACE_LOCATION(); review_.MakeNegative(); break;
    case MakeGrey: ORV_TRACE_LOCATION(); review_.MakeGrey(); break;
    case OpenInPaint: ORV_TRACE_LOCATION(); app_.paint.OpenInPaint(review_.HandOver(), folders_.TempDir); break;
    case SaveCaptureToFile: ORV_TRACE_LOCATION(); orv::SaveCaptureToFile(review_.Capture(), settings_, folders_.PicturesDir); break;
    case CloseAboutWindow: ORV_TRACE_LOCATION(); app_.about.Close(); break;
    case OpenAboutLink: ORV_TRACE_LOCATION(); orv::OpenAboutLink(); break;
  }
  // clang-format on
  return StepOutcome::Next;
}

// While a selection is on screen a new capture request is ignored: it would grab our own overlay
// and replace the selection in progress.
StepOutcome Steps::EndIfSelecting() const {
  return overlay_.IsOpen() ? StepOutcome::EndRow : StepOutcome::Next;
}

// The mark shows whether the program starts with Windows, by the same rule that writes the Run
// value: a hand-edited 5 is on, and so is its mark.
void Steps::SetAutostartCheckFromSetting() {
  app_.main.Tray().SetAutostartCheck(IsAutostartOn(settings_.LoadOnWindowsStart));
}

void Steps::ToggleAutostart() {
  settings_.LoadOnWindowsStart = IsAutostartOn(settings_.LoadOnWindowsStart) ? 0 : 1;
}

// A capture goes under review, in the preview; none (nothing was captured, or no picture could
// be made) ends the row, and whatever was under review stays as it was.
StepOutcome Steps::Review(win::DibImage capture) {
  if (!capture) return StepOutcome::EndRow;
  review_.OpenPreviewWindow(std::move(capture));
  return StepOutcome::Next;
}

// Blocks until an event is queued; nothing when the message queue was told to quit.
std::optional<Event> WaitForEvent(Application& app) {
  for (;;) {
    if (std::optional<Event> event = app.events.Take()) return event;
    // A fault while waiting is not one of the steps that ran before.
    ORV_TRACE_LOCATION();
    MSG message;
    if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) return std::nullopt;
      if (app.dialogKeys.TranslateBoundKey(message)) continue;
      ORV_TRACE_LOCATION();
      if (app.dialogKeys.HandleDialogMessage(message)) continue;
      TranslateMessage(&message);
      DispatchMessageW(&message);
      continue;
    }
    // Messages sent from other threads (the tray icon's notifications among them) are handled
    // inside PeekMessageW without being returned, so wait for sent messages too, not only for
    // posted ones as GetMessageW would.
    MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
}

}  // namespace

void RunEventLoop(const Owners& owners) {
  Steps steps(owners);
  while (const std::optional<Event> event = WaitForEvent(owners.app)) {
    for (const Step step : Route(*event)) {
      const StepOutcome outcome = steps.Run(step, *event);
      if (outcome == StepOutcome::EndLoop) return;
      if (outcome == StepOutcome::EndRow) break;
    }
  }
}

}  // namespace orv
