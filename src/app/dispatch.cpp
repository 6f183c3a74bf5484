#include "app/dispatch.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <variant>

namespace orv {
namespace {

using enum Step;

constexpr std::size_t kMaxSteps = 3;

// What a row answers: an event of one kind with one datum (tray type, command id or control id;
// none for the end of a selection).
enum class Kind { Tray, Command, Control, Selection };
struct Key {
  Kind kind;
  int datum;
};

struct Row {
  Key key;
  std::array<Step, kMaxSteps> steps;
  std::size_t count;
};

constexpr Row R(Key key, std::initializer_list<Step> steps) {
  Row row{key, {}, steps.size()};
  std::copy(steps.begin(), steps.end(), row.steps.begin());
  return row;
}

constexpr Key Tray(TrayEventType type) {
  return {Kind::Tray, static_cast<int>(type)};
}
constexpr Key Cmd(CommandId id) {
  return {Kind::Command, static_cast<int>(id)};
}
constexpr Key Ctl(ControlId id) {
  return {Kind::Control, static_cast<int>(id)};
}

// Within a kind the first matching row applies; double clicks on the tray icon have rows of
// their own that do nothing.
constexpr Row kRows[] = {
    R(Tray(TrayEventType::RightPress), {SetAutostartCheckFromSetting, ShowTrayMenu}),
    R(Tray(TrayEventType::LeftPress), {EndIfSelecting, PauseBeforeCapture, SelectRegion}),
    R(Tray(TrayEventType::LeftDoubleClick), {}),
    R(Tray(TrayEventType::RightDoubleClick), {}),

    R(Cmd(CommandId::ClosePreview), {CloseReview}),
    R(Cmd(CommandId::CaptureScreen), {EndIfSelecting, PauseBeforeCapture, CaptureFullScreen}),
    R(Cmd(CommandId::CaptureRegion), {EndIfSelecting, PauseBeforeCapture, SelectRegion}),
    R(Cmd(CommandId::CaptureWindow), {EndIfSelecting, PauseBeforeCapture, PickWindow}),
    R(Cmd(CommandId::ToggleAutostart), {ToggleAutostart, ApplyAutostart}),
    R(Cmd(CommandId::Help), {OpenHelp}),
    R(Cmd(CommandId::Donate), {OpenDonate}),
    R(Cmd(CommandId::MoreTools), {OpenMoreTools}),
    R(Cmd(CommandId::About), {OpenAboutWindow}),
    R(Cmd(CommandId::Information), {ShowInformation}),
    R(Cmd(CommandId::Quit), {Quit}),

    R(Ctl(ControlId::Cancel), {CloseReview}),
    R(Ctl(ControlId::Clipboard), {ClosePreviewWindow, CopyToClipboard, CloseReview}),
    R(Ctl(ControlId::PrintWithDialog), {ClosePreviewWindow, PrintWithDialog, CloseReview}),
    R(Ctl(ControlId::PrintToDefault), {ClosePreviewWindow, PrintToDefault, CloseReview}),
    R(Ctl(ControlId::FitToPaper), {ToggleFitToPaper, SavePreferences}),
    R(Ctl(ControlId::Printers), {OpenPrintersFolder}),
    R(Ctl(ControlId::Restore), {CopyBackupToCapture}),
    R(Ctl(ControlId::Rotate), {RotateCapture}),
    R(Ctl(ControlId::Negative), {MakeNegative}),
    R(Ctl(ControlId::Grey), {MakeGrey}),
    R(Ctl(ControlId::Paint), {ClosePreviewWindow, OpenInPaint}),
    R(Ctl(ControlId::SaveToFile), {ClosePreviewWindow, SaveCaptureToFile, CloseReview}),
    R(Ctl(ControlId::AboutClose), {CloseAboutWindow}),
    R(Ctl(ControlId::AboutLink), {OpenAboutLink, CloseAboutWindow}),

    R({Kind::Selection, 0}, {EndSelection}),
};

// The key of an event.
Key KeyOf(const Event& event) {
  if (const auto* tray = std::get_if<TrayEvent>(&event)) return Tray(tray->type);
  if (const auto* command = std::get_if<CommandEvent>(&event)) return Cmd(command->command);
  if (const auto* control = std::get_if<ControlEvent>(&event)) return Ctl(control->control);
  return {Kind::Selection, 0};
}

}  // namespace

std::span<const Step> Route(const Event& event) {
  const Key key = KeyOf(event);
  for (const Row& row : kRows) {
    if (row.key.kind == key.kind && row.key.datum == key.datum) {
      return {row.steps.data(), row.count};
    }
  }
  return {};
}

}  // namespace orv
