#include "app/dispatch.h"

#include <algorithm>
#include <array>
#include <initializer_list>

namespace orv {
namespace {

using enum Step;

constexpr std::size_t kMaxSteps = 5;

struct Row {
  EventKind kind;
  int datum;  // tray type, command id or control id; -1: any event of the overlay window
  std::array<Step, kMaxSteps> steps;
  std::size_t count;
};

constexpr Row R(EventKind kind, int datum, std::initializer_list<Step> steps) {
  Row row{kind, datum, {}, steps.size()};
  std::copy(steps.begin(), steps.end(), row.steps.begin());
  return row;
}

constexpr int Cmd(CommandId id) {
  return static_cast<int>(id);
}
constexpr int Ctl(ControlId id) {
  return static_cast<int>(id);
}
constexpr int Tray(TrayEventType type) {
  return static_cast<int>(type);
}
constexpr int kOverlay = -1;

// Within a kind the first matching row applies; double clicks on the tray icon have rows of
// their own that do nothing.
constexpr Row kRows[] = {
    R(EventKind::Tray, Tray(TrayEventType::RightPress),
      {SetAutostartCheckFromSetting, ShowTrayMenu}),
    R(EventKind::Tray, Tray(TrayEventType::LeftPress),
      {SetModeRegion, PauseBeforeCapture, OpenSelectionOverlay}),
    R(EventKind::Tray, Tray(TrayEventType::LeftDoubleClick), {}),
    R(EventKind::Tray, Tray(TrayEventType::RightDoubleClick), {}),

    R(EventKind::Command, Cmd(CommandId::ClosePreview),
      {ClosePreviewWindow, FreeCapture, FreePrintImage, FreeBackupImage}),
    R(EventKind::Command, Cmd(CommandId::CaptureScreen),
      {SetModeScreen, PauseBeforeCapture, CaptureFullScreen, OpenPreviewWindow}),
    R(EventKind::Command, Cmd(CommandId::CaptureRegion),
      {SetModeRegion, PauseBeforeCapture, OpenSelectionOverlay}),
    R(EventKind::Command, Cmd(CommandId::CaptureWindow),
      {SetModeWindow, PauseBeforeCapture, ResetWindowPick, OpenSelectionOverlay}),
    R(EventKind::Command, Cmd(CommandId::ToggleAutostart), {ToggleAutostartCheck, ApplyAutostart}),
    R(EventKind::Command, Cmd(CommandId::Help), {OpenHelp}),
    R(EventKind::Command, Cmd(CommandId::Donate), {OpenDonate}),
    R(EventKind::Command, Cmd(CommandId::MoreTools), {OpenMoreTools}),
    R(EventKind::Command, Cmd(CommandId::About), {OpenAboutWindow}),
    R(EventKind::Command, Cmd(CommandId::Information), {ShowInformation}),
    R(EventKind::Command, Cmd(CommandId::Quit), {Quit}),

    R(EventKind::Control, Ctl(ControlId::Cancel),
      {ClosePreviewWindow, FreeCapture, FreeBackupImage}),
    R(EventKind::Control, Ctl(ControlId::Clipboard),
      {ClosePreviewWindow, CopyToClipboard, FreeCapture, FreeBackupImage}),
    R(EventKind::Control, Ctl(ControlId::PrintWithDialog),
      {ClosePreviewWindow, PrintWithDialog, FreeCapture, FreePrintImage, FreeBackupImage}),
    R(EventKind::Control, Ctl(ControlId::PrintToDefault),
      {ClosePreviewWindow, PrintToDefault, FreeCapture, FreePrintImage, FreeBackupImage}),
    R(EventKind::Control, Ctl(ControlId::FitToPaper), {ToggleFitToPaper, SavePreferences}),
    R(EventKind::Control, Ctl(ControlId::Printers), {OpenPrintersFolder}),
    R(EventKind::Control, Ctl(ControlId::Restore),
      {FreeCapture, CopyBackupToCapture, RefreshPreview}),
    R(EventKind::Control, Ctl(ControlId::Rotate), {RotateCapture, RefreshPreview}),
    R(EventKind::Control, Ctl(ControlId::Negative), {MakeNegative, RefreshPreview}),
    R(EventKind::Control, Ctl(ControlId::Grey), {MakeGrey, RefreshPreview}),
    // The paint program frees the capture and the backup itself, once its file is written.
    R(EventKind::Control, Ctl(ControlId::Paint), {ClosePreviewWindow, OpenInPaint}),
    R(EventKind::Control, Ctl(ControlId::SaveToFile),
      {ClosePreviewWindow, SaveCaptureToFile, FreeCapture, FreeBackupImage}),
    R(EventKind::Control, Ctl(ControlId::AboutClose), {CloseAboutWindow}),
    R(EventKind::Control, Ctl(ControlId::AboutLink), {OpenAboutLink, CloseAboutWindow}),

    R(EventKind::MouseMove, kOverlay, {OverlayPointerMove}),
    R(EventKind::LeftButtonDown, kOverlay, {OverlayLeftPress}),
    // The preview opens on what the release captured; a release that captured nothing ends here.
    R(EventKind::LeftButtonUp, kOverlay, {OverlayLeftRelease, OpenPreviewWindow}),
};

bool Matches(const Row& row, const Event& event) {
  if (row.kind != event.kind) return false;
  switch (event.kind) {
    case EventKind::Tray:
      return row.datum == event.type;
    case EventKind::Command:
    case EventKind::Control:
      return row.datum == event.datum;
    default:
      return event.window == static_cast<int>(WindowId::SelectionOverlay);
  }
}

}  // namespace

std::span<const Step> Route(const Event& event) {
  for (const Row& row : kRows) {
    if (Matches(row, event)) return {row.steps.data(), row.count};
  }
  return {};
}

PointerShape PointerFor(const Event& event, CaptureMode mode) {
  if (event.window != static_cast<int>(WindowId::SelectionOverlay)) return PointerShape::Unchanged;
  if (mode == CaptureMode::ModeRegion) return PointerShape::Cross;
  if (mode == CaptureMode::ModeWindow) return PointerShape::Hand;
  return PointerShape::Unchanged;
}

}  // namespace orv
