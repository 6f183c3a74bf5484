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

// The pause before a capture, in which the menu or the key's own window gets out of the way.
constexpr DWORD kCaptureDelay = 300;

// Where the pointer was when a pointer event happened; nothing for other events.
Point PointerAt(const Event& event) {
  const auto* pointer = std::get_if<PointerEvent>(&event);
  return pointer ? pointer->at : Point{};
}

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
        capture_(owners.review.Capture),
        settings_(owners.app.Settings),
        folders_(owners.app.folders),
        main_(owners.app.main.Handle()) {}

  // Runs a step of the event's row.
  StepOutcome Run(Step step, const Event& event);

 private:
  StepOutcome SetMode(CaptureMode mode);
  void SetAutostartCheckFromSetting();
  void ToggleAutostartCheck();
  StepOutcome PutUnderReview(win::DibImage capture);
  void OpenInPaint();
  bool Fit() const { return settings_.FitPaperOrientation != 0; }

  Application& app_;
  SelectionOverlay& overlay_;
  CaptureReview& review_;
  win::DibImage& capture_;  // the capture under review
  Settings& settings_;
  const Folders& folders_;
  const HWND main_;  // what the clipboard, the dialogs and the boxes answer to
};

// One case per step, each on a line of its own with its mark, so that a fatal-error report names
// the step that was running; a step without its case does not compile (-Wswitch).
StepOutcome Steps::Run(Step step, const Event& event) {
  const Point at = PointerAt(event);
  using enum Step;
  // clang-format off
  switch (step) {
    case SetAutostartCheckFromSetting: ORV_TRACE_LOCATION(); this->SetAutostartCheckFromSetting(); break;
    case ShowTrayMenu: ORV_TRACE_LOCATION(); app_.main.Tray().ShowMenu(); break;
    case SetModeRegion: ORV_TRACE_LOCATION(); return SetMode(CaptureMode::ModeRegion);
    case SetModeScreen: ORV_TRACE_LOCATION(); return SetMode(CaptureMode::ModeScreen);
    case SetModeWindow: ORV_TRACE_LOCATION(); return SetMode(CaptureMode::ModeWindow);
    case PauseBeforeCapture: ORV_TRACE_LOCATION(); win::Pause(kCaptureDelay); break;
    case ResetWindowPick: ORV_TRACE_LOCATION(); overlay_.ResetWindowPick(); break;
    case OpenSelectionOverlay: ORV_TRACE_LOCATION(); overlay_.Open(app_.CaptureMode); break;
    case CaptureFullScreen: ORV_TRACE_LOCATION(); return PutUnderReview(orv::CaptureFullScreen());
    case OpenPreviewWindow: ORV_TRACE_LOCATION(); review_.OpenPreviewWindow(); break;
    case ClosePreviewWindow: ORV_TRACE_LOCATION(); review_.ClosePreviewWindow(); break;
    case FreeCapture: ORV_TRACE_LOCATION(); capture_ = {}; break;
    case FreePrintImage: ORV_TRACE_LOCATION(); break;  // nothing left: PrintImage is a local of printing
    case FreeBackupImage: ORV_TRACE_LOCATION(); review_.BackupImage = {}; break;
    case ToggleAutostartCheck: ORV_TRACE_LOCATION(); this->ToggleAutostartCheck(); break;
    case ApplyAutostart: ORV_TRACE_LOCATION(); orv::ApplyAutostart(settings_); break;
    case OpenHelp: ORV_TRACE_LOCATION(); orv::OpenHelp(folders_.ProgramDir); break;
    case OpenDonate: ORV_TRACE_LOCATION(); orv::OpenDonate(); break;
    case OpenMoreTools: ORV_TRACE_LOCATION(); orv::OpenMoreTools(); break;
    case OpenAboutWindow: ORV_TRACE_LOCATION(); app_.about.Open(); break;
    case ShowInformation: ORV_TRACE_LOCATION(); orv::ShowInformation(main_); break;
    case Quit: ORV_TRACE_LOCATION(); return StepOutcome::EndLoop;
    case CopyToClipboard: ORV_TRACE_LOCATION(); app_.clipboard.Copy(std::move(capture_), main_); break;
    case PrintWithDialog: ORV_TRACE_LOCATION(); orv::PrintWithDialog(capture_, Fit(), main_); break;
    case PrintToDefault: ORV_TRACE_LOCATION(); orv::PrintToDefault(capture_, Fit(), main_); break;
    case ToggleFitToPaper: ORV_TRACE_LOCATION(); review_.ToggleFitToPaper(); break;
    case SavePreferences: ORV_TRACE_LOCATION(); orv::SavePreferences(settings_, folders_); break;
    case OpenPrintersFolder: ORV_TRACE_LOCATION(); orv::OpenPrintersFolder(folders_.WindowsDir); break;
    case CopyBackupToCapture: ORV_TRACE_LOCATION(); review_.CopyBackupToCapture(); break;
    case RefreshPreview: ORV_TRACE_LOCATION(); review_.RefreshPreview(); break;
    case RotateCapture: ORV_TRACE_LOCATION(); review_.RotateCapture(); break;
    case MakeNegative: ORV_TRACE_LOCATION(); review_.MakeNegative(); break;
    case MakeGrey: ORV_TRACE_LOCATION(); review_.MakeGrey(); break;
    case OpenInPaint: ORV_TRACE_LOCATION(); this->OpenInPaint(); break;
    case SaveCaptureToFile: ORV_TRACE_LOCATION(); orv::SaveCaptureToFile(capture_, settings_, folders_.PicturesDir); break;
    case CloseAboutWindow: ORV_TRACE_LOCATION(); app_.about.Close(); break;
    case OpenAboutLink: ORV_TRACE_LOCATION(); orv::OpenAboutLink(); break;
    case OverlayPointerMove: ORV_TRACE_LOCATION(); overlay_.PointerMove(at); break;
    case OverlayLeftPress: ORV_TRACE_LOCATION(); overlay_.LeftPress(at); break;
    case OverlayLeftRelease: ORV_TRACE_LOCATION(); return PutUnderReview(overlay_.LeftRelease(at));
    case PressOnPicture: ORV_TRACE_LOCATION(); review_.PressOnPicture(at); break;
    case DragPictureOut: ORV_TRACE_LOCATION(); review_.DragPictureOut(at); break;
    case ReleaseOnPicture: ORV_TRACE_LOCATION(); review_.ReleaseOnPicture(); break;
  }
  // clang-format on
  return StepOutcome::Next;
}

// A capture starts by setting the mode. While a selection is on screen a new request is
// ignored: it would grab our own overlay and change the mode under the selection in progress.
StepOutcome Steps::SetMode(CaptureMode mode) {
  if (overlay_.IsOpen()) return StepOutcome::EndRow;
  app_.CaptureMode = mode;
  return StepOutcome::Next;
}

// The mark shows whether the program starts with Windows, by the same rule that writes the Run
// value: a hand-edited 5 is on, and so is its mark.
void Steps::SetAutostartCheckFromSetting() {
  app_.main.Tray().SetAutostartCheck(IsAutostartOn(settings_.LoadOnWindowsStart));
}

void Steps::ToggleAutostartCheck() {
  const bool checked = app_.main.Tray().IsAutostartChecked();
  settings_.LoadOnWindowsStart = checked ? 0 : 1;
  app_.main.Tray().SetAutostartCheck(!checked);
}

// A capture goes under review and on to the preview; none (nothing was captured, or no picture
// could be made) ends the row, and whatever was under review stays as it was.
StepOutcome Steps::PutUnderReview(win::DibImage capture) {
  if (!capture) return StepOutcome::EndRow;
  capture_ = std::move(capture);
  return StepOutcome::Next;
}

// The capture and its backup go with the paint program: the capture once its file is written.
void Steps::OpenInPaint() {
  review_.BackupImage = {};
  app_.paint.OpenInPaint(std::move(capture_), folders_.TempDir);
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

void ApplyPointerShape(const Event& event, const Application& app) {
  switch (PointerFor(event, app.CaptureMode)) {
    case PointerShape::Cross:
      SetCursor(app.resources.CrossCursor);
      break;
    case PointerShape::Hand:
      SetCursor(app.resources.HandCursor);
      break;
    case PointerShape::Unchanged:
      break;
  }
}

}  // namespace

void RunEventLoop(const Owners& owners) {
  Steps steps(owners);
  while (const std::optional<Event> event = WaitForEvent(owners.app)) {
    ApplyPointerShape(*event, owners.app);
    for (const Step step : Route(*event)) {
      const StepOutcome outcome = steps.Run(step, *event);
      if (outcome == StepOutcome::EndLoop) return;
      if (outcome == StepOutcome::EndRow) break;
    }
  }
}

}  // namespace orv
