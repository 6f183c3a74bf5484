#include "capture/hook_decision.h"

namespace orv {
namespace {

std::optional<CommandId> HeldCombination(const KeyDownQuery& keyDown) {
  if (keyDown(kVkAlt) || keyDown(kVkLeftWindows) || keyDown(kVkRightWindows)) return std::nullopt;
  const bool ctrl = keyDown(kVkControl);
  const bool shift = keyDown(kVkShift);
  if (ctrl && shift) return CommandId::CaptureWindow;
  if (ctrl) return CommandId::CaptureRegion;
  if (shift) return CommandId::CaptureScreen;
  return std::nullopt;
}

}  // namespace

KeyVerdict PrintScreenRule::Decide(const KeyEvent& event, const KeyDownQuery& keyDown) {
  if (event.nCode != kHookAction || event.vkCode != kVkSnapshot) return {};
  switch (event.message) {
    case kWmKeyDown: {
      const bool repeat = held_ && event.time - lastPress_ <= kLongestRepeatGap;
      lastPress_ = event.time;
      if (!repeat) {
        held_ = true;
        command_ = HeldCombination(keyDown);
      }
      return {command_.has_value(), std::nullopt};
    }
    case kWmKeyUp:
    case kWmSysKeyUp: {
      const std::optional<CommandId> command = held_ ? command_ : std::nullopt;
      held_ = false;
      command_.reset();
      if (event.message == kWmSysKeyUp || !command) return {};
      return {true, command};
    }
    default:  // WM_SYSKEYDOWN: Alt is held, and Alt + Print Screen is Windows' own
      return {};
  }
}

}  // namespace orv
