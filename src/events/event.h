// What window procedures hand to the event loop: one small value per message that matters, with
// the fields of its kind. Built with designated initializers:
//   CommandEvent{.window = WindowId::Main, .command = CommandId::Quit}
#pragma once

#include <optional>
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

// A selection on the overlay is done: the rectangle of the frozen screen to cut out (the region
// dragged, or the picked window as drawn), or none (a window release before any window was
// highlighted).
struct SelectionEvent {
  std::optional<Rect> cutOut;
};

using Event = std::variant<TrayEvent, CommandEvent, ControlEvent, SelectionEvent>;

}  // namespace orv
