// What the Print Screen hook does with one low-level keyboard event: pass it on, swallow it, or
// swallow it and post a capture command. Kept apart from the hook procedure so that key
// sequences can be replayed in tests.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "base/object_ids.h"

namespace orv {

// The Win32 values the decision looks at (winuser.h), spelled out for the portable core.
inline constexpr int kHookAction = 0;                    // HC_ACTION
inline constexpr std::uintptr_t kWmKeyDown = 0x0100;     // WM_KEYDOWN
inline constexpr std::uintptr_t kWmKeyUp = 0x0101;       // WM_KEYUP
inline constexpr std::uintptr_t kWmSysKeyDown = 0x0104;  // WM_SYSKEYDOWN
inline constexpr std::uintptr_t kWmSysKeyUp = 0x0105;    // WM_SYSKEYUP
inline constexpr std::uint32_t kVkSnapshot = 0x2C;       // VK_SNAPSHOT (Print Screen)
inline constexpr int kVkShift = 0x10;                    // VK_SHIFT
inline constexpr int kVkControl = 0x11;                  // VK_CONTROL
inline constexpr int kVkAlt = 0x12;                      // VK_MENU, either Alt key
inline constexpr int kVkLeftWindows = 0x5B;              // VK_LWIN
inline constexpr int kVkRightWindows = 0x5C;             // VK_RWIN

// Whether a key is down now (GetAsyncKeyState's high bit). Its low bit, "pressed since the
// previous query", is not asked: any other program's query takes it.
using KeyDownQuery = std::function<bool(int virtualKey)>;

// One keyboard event as the hook sees it.
struct KeyEvent {
  int nCode = kHookAction;
  std::uintptr_t message = kWmKeyDown;
  std::uint32_t vkCode = kVkSnapshot;
  std::uint32_t time = 0;  // the event's time stamp in milliseconds (it wraps)
};

struct KeyVerdict {
  bool swallow = false;
  std::optional<CommandId> post;  // the command to post; the event is swallowed with it

  bool operator==(const KeyVerdict&) const = default;
};

// Decides each press of Print Screen once. At the press (WM_KEYDOWN) the modifiers held then
// make the combination: Ctrl a region, Shift the whole screen, both a window. A combination's
// press is swallowed, so that Windows' own Print Screen (a copy of the screen in the clipboard)
// never sees it, and its release is swallowed and posts the command, whatever the modifiers are
// by then. Print Screen alone passes on, press and release. Auto-repeated presses belong to the
// first. A press with Alt or a Windows key held is no combination and passes on, as the hot keys
// of the same combinations would let it: Ctrl+Alt arrives as WM_KEYDOWN, and AltGr is a right Alt
// with a left Ctrl the system adds; Alt alone arrives as WM_SYSKEYDOWN. A release with Alt held
// (WM_SYSKEYUP) passes on and ends a press without a command.
class PrintScreenRule {
 public:
  KeyVerdict Decide(const KeyEvent& event, const KeyDownQuery& keyDown);

  // Longest gap between two presses of a held key (the longest repeat delay Windows offers is
  // one second): a press later than that after the last one is new, even without a release seen
  // in between (it went to a window the hook is not called for).
  static constexpr std::uint32_t kLongestRepeatGap = 1500;

 private:
  bool held_ = false;                 // Print Screen's press was seen and its release not yet
  std::optional<CommandId> command_;  // the combination of the held press, if it made one
  std::uint32_t lastPress_ = 0;
};

}  // namespace orv
