// What the Print Screen hook does with one low-level keyboard event: post a capture command and
// swallow the key, swallow the press of a combination, or pass the event on. Kept apart from the
// hook procedure so that key sequences can be replayed in tests.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "base/object_ids.h"

namespace orv {

// The Win32 values the decision looks at (winuser.h), spelled out for the portable core.
inline constexpr int kHookAction = 0;                  // HC_ACTION
inline constexpr std::uintptr_t kWmKeyDown = 0x0100;   // WM_KEYDOWN
inline constexpr std::uintptr_t kWmKeyUp = 0x0101;     // WM_KEYUP
inline constexpr std::uintptr_t kWmSysKeyUp = 0x0105;  // WM_SYSKEYUP
inline constexpr std::uint32_t kVkSnapshot = 0x2C;     // VK_SNAPSHOT (Print Screen)
inline constexpr int kVkShift = 0x10;                  // VK_SHIFT
inline constexpr int kVkControl = 0x11;                // VK_CONTROL

// Answers like GetAsyncKeyState: non-zero when the key is down now or was pressed since the
// previous query.
using KeyStateQuery = std::function<int(int virtualKey)>;

// The command to post for a keyboard event, or nothing to pass the event on. A command means
// the release of Print Screen is swallowed. Only the release (WM_KEYUP, never WM_SYSKEYUP) of
// Print Screen with Ctrl (region), Shift (whole screen) or both (window) counts. The modifiers
// are asked afresh for each combination, Ctrl and Shift in the order the combination names
// them, and asking stops at the first condition that fails: at most six queries per event.
std::optional<CommandId> DecidePrintScreenCommand(int nCode, std::uintptr_t message,
                                                  std::uint32_t vkCode,
                                                  const KeyStateQuery& keyState);

// Whether the event is a press of Print Screen that is swallowed: a WM_KEYDOWN (never
// WM_SYSKEYDOWN) while the modifiers make one of the three combinations, asked by the same rule
// as at the release. Windows acts on the press of Print Screen itself (a copy of the screen
// replaces the clipboard's content), so a combination must reach it neither pressed nor
// released. Print Screen alone passes on.
bool IsSwallowedPrintScreenPress(int nCode, std::uintptr_t message, std::uint32_t vkCode,
                                 const KeyStateQuery& keyState);

}  // namespace orv
