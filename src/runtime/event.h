// What window procedures hand to the event loop: one small value per message that matters, with
// the fields of its kind. Built with designated initializers:
//   CommandEvent{.window = WindowId::Main, .command = CommandId::Quit}
#pragma once

#include <variant>

#include "base/geometry.h"
#include "base/object_ids.h"

namespace orv {

// The tray icon's mouse notifications.
enum class TrayEventType {
  LeftPress = 0,
  RightPress = 1,
  LeftDoubleClick = 2,
  RightDoubleClick = 3
};

struct TrayEvent {
  TrayEventType type;
};

// A menu choice, a capture key (the hook's or a hot key), or a key a window binds (Escape in the
// preview).
struct CommandEvent {
  WindowId window;
  CommandId command;
};

// A button or link of a window was pressed, by the pointer or from the keyboard.
struct ControlEvent {
  WindowId window;
  ControlId control;
};

enum class PointerAction { Move, LeftPress, LeftRelease };

// The pointer over a window, and where it was when it moved or the button went down or up, in
// the window's client coordinates: the event is handled a moment later, when the pointer may be
// elsewhere already.
struct PointerEvent {
  WindowId window;
  PointerAction action;
  Point at{};
};

using Event = std::variant<TrayEvent, CommandEvent, ControlEvent, PointerEvent>;

}  // namespace orv
