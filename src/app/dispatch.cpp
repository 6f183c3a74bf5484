#include "app/dispatch.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <optional>
#include <variant>

namespace orv {
namespace {

using enum Step;

constexpr std::size_t kMaxSteps = 5;

// What a row answers: an event of one kind with one datum (tray type, command id or control id,
// or for a pointer action the window it happened over).
enum class Kind { Tray, Command, Control, PointerMove, LeftPress, LeftRelease };
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
constexpr Key Overlay(Kind pointer) {
  return {pointer, static_cast<int>(WindowId::SelectionOverlay)};
}
constexpr Key Picture(Kind pointer) {
  return {pointer, static_cast<int>(WindowId::Preview)};
}

// Within a kind the first matching row applies; double clicks on the tray icon have rows of
// their own that do nothing.
constexpr Row kRows[] = {
    R(Tray(TrayEventType::RightPress), {SetAutostartCheckFromSetting, ShowTrayMenu}),
    R(Tray(TrayEventType::LeftPress), {SetModeRegion, PauseBeforeCapture, OpenSelectionOverlay}),
    R(Tray(TrayEventType::LeftDoubleClick), {}),
    R(Tray(TrayEventType::RightDoubleClick), {}),

    R(Cmd(CommandId::ClosePreview),
      {ClosePreviewWindow, FreeCapture, FreePrintImage, FreeBackupImage}),
    R(Cmd(CommandId::CaptureScreen),
      {SetModeScreen, PauseBeforeCapture, CaptureFullScreen, OpenPreviewWindow}),
    R(Cmd(CommandId::CaptureRegion), {SetModeRegion, PauseBeforeCapture, OpenSelectionOverlay}),
    R(Cmd(CommandId::CaptureWindow),
      {SetModeWindow, PauseBeforeCapture, ResetWindowPick, OpenSelectionOverlay}),
    R(Cmd(CommandId::ToggleAutostart), {ToggleAutostartCheck, ApplyAutostart}),
    R(Cmd(CommandId::Help), {OpenHelp}),
    R(Cmd(CommandId::Donate), {OpenDonate}),
    R(Cmd(CommandId::MoreTools), {OpenMoreTools}),
    R(Cmd(CommandId::About), {OpenAboutWindow}),
    R(Cmd(CommandId::Information), {ShowInformation}),
    R(Cmd(CommandId::Quit), {Quit}),

    R(Ctl(ControlId::Cancel), {ClosePreviewWindow, FreeCapture, FreeBackupImage}),
    R(Ctl(ControlId::Clipboard),
      {ClosePreviewWindow, CopyToClipboard, FreeCapture, FreeBackupImage}),
    R(Ctl(ControlId::PrintWithDialog),
      {ClosePreviewWindow, PrintWithDialog, FreeCapture, FreePrintImage, FreeBackupImage}),
    R(Ctl(ControlId::PrintToDefault),
      {ClosePreviewWindow, PrintToDefault, FreeCapture, FreePrintImage, FreeBackupImage}),
    R(Ctl(ControlId::FitToPaper), {ToggleFitToPaper, SavePreferences}),
    R(Ctl(ControlId::Printers), {OpenPrintersFolder}),
    R(Ctl(ControlId::Restore), {FreeCapture, CopyBackupToCapture, RefreshPreview}),
    R(Ctl(ControlId::Rotate), {RotateCapture, RefreshPreview}),
    R(Ctl(ControlId::Negative), {MakeNegative, RefreshPreview}),
    R(Ctl(ControlId::Grey), {MakeGrey, RefreshPreview}),
    // The paint program takes the capture, and lets it go once its file is written; the backup
    // goes first.
    R(Ctl(ControlId::Paint), {ClosePreviewWindow, OpenInPaint}),
    R(Ctl(ControlId::SaveToFile),
      {ClosePreviewWindow, SaveCaptureToFile, FreeCapture, FreeBackupImage}),
    R(Ctl(ControlId::AboutClose), {CloseAboutWindow}),
    R(Ctl(ControlId::AboutLink), {OpenAboutLink, CloseAboutWindow}),

    R(Overlay(Kind::PointerMove), {OverlayPointerMove}),
    R(Overlay(Kind::LeftPress), {OverlayLeftPress}),
    // The preview opens on what the release captured; a release that captured nothing ends here.
    R(Overlay(Kind::LeftRelease), {OverlayLeftRelease, OpenPreviewWindow}),

    // The preview stays open after a drag: the capture may still be printed or saved.
    R(Picture(Kind::LeftPress), {PressOnPicture}),
    R(Picture(Kind::PointerMove), {DragPictureOut}),
    R(Picture(Kind::LeftRelease), {ReleaseOnPicture}),
};

// The key of an event.
std::optional<Key> KeyOf(const Event& event) {
  if (const auto* tray = std::get_if<TrayEvent>(&event)) return Tray(tray->type);
  if (const auto* command = std::get_if<CommandEvent>(&event)) return Cmd(command->command);
  if (const auto* control = std::get_if<ControlEvent>(&event)) return Ctl(control->control);
  const auto& pointer = std::get<PointerEvent>(event);
  const int window = static_cast<int>(pointer.window);
  switch (pointer.action) {
    case PointerAction::Move:
      return Key{Kind::PointerMove, window};
    case PointerAction::LeftPress:
      return Key{Kind::LeftPress, window};
    case PointerAction::LeftRelease:
      return Key{Kind::LeftRelease, window};
  }
  return std::nullopt;
}

}  // namespace

std::span<const Step> Route(const Event& event) {
  const std::optional<Key> key = KeyOf(event);
  if (!key) return {};
  for (const Row& row : kRows) {
    if (row.key.kind == key->kind && row.key.datum == key->datum) {
      return {row.steps.data(), row.count};
    }
  }
  return {};
}

PointerShape PointerFor(const Event& event, CaptureMode mode) {
  const auto* pointer = std::get_if<PointerEvent>(&event);
  if (!pointer || pointer->window != WindowId::SelectionOverlay) return PointerShape::Unchanged;
  if (mode == CaptureMode::ModeRegion) return PointerShape::Cross;
  if (mode == CaptureMode::ModeWindow) return PointerShape::Hand;
  return PointerShape::Unchanged;
}

}  // namespace orv
