#include "capture/hook_decision.h"

namespace orv {
namespace {

// The combination the modifiers make now, if any.
std::optional<CommandId> HeldCombination(const KeyStateQuery& keyState) {
  const auto held = [&keyState](int key) { return keyState(key) != 0; };
  // Each combination asks again: a modifier tapped between two queries may answer differently.
  if (held(kVkControl) && !held(kVkShift)) return CommandId::CaptureRegion;
  if (held(kVkShift) && !held(kVkControl)) return CommandId::CaptureScreen;
  if (held(kVkControl) && held(kVkShift)) return CommandId::CaptureWindow;
  return std::nullopt;
}

}  // namespace

std::optional<CommandId> DecidePrintScreenCommand(int nCode, std::uintptr_t message,
                                                  std::uint32_t vkCode,
                                                  const KeyStateQuery& keyState) {
  if (nCode != kHookAction || message != kWmKeyUp || vkCode != kVkSnapshot) return std::nullopt;
  return HeldCombination(keyState);
}

bool IsSwallowedPrintScreenPress(int nCode, std::uintptr_t message, std::uint32_t vkCode,
                                 const KeyStateQuery& keyState) {
  if (nCode != kHookAction || message != kWmKeyDown || vkCode != kVkSnapshot) return false;
  return HeldCombination(keyState).has_value();
}

}  // namespace orv
