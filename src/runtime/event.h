// What window procedures hand to the event loop: one small value per message that matters.
#pragma once

namespace orv {

enum class EventKind { Tray, Command, Control, MouseMove, LeftButtonDown, LeftButtonUp };

// Tray event types, from the icon's mouse notifications.
enum class TrayEventType {
  LeftPress = 0,
  RightPress = 1,
  LeftDoubleClick = 2,
  RightDoubleClick = 3
};

struct Event {
  EventKind kind;
  int window = 0;  // the window number the event belongs to (WindowId), 0 for none
  int datum = 0;   // command id or control id
  int type = 0;    // tray event type
};

}  // namespace orv
