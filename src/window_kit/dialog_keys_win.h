// The keyboard of the program's windows of buttons (the preview and the about window), which the
// event loop offers every message to before it dispatches it: Tab and Shift+Tab move the focus
// through a window's controls and Space and Enter press them, as in a dialog box, and a key a
// window binds (Escape in the preview) queues the window's event for it.
#pragma once

#include <windows.h>

#include <vector>

#include "events/event.h"
#include "events/event_queue.h"

namespace orv {

// A key pressed in a window or in one of its controls, and the event it queues. A key with Ctrl
// counts only with Ctrl alone held (not Shift, not Alt, which with Ctrl types characters on many
// layouts); a key without counts whatever is held.
struct KeyBinding {
  UINT key;  // virtual-key code of the WM_KEYDOWN
  Event event;
  bool withCtrl = false;
};

class DialogKeys {
 public:
  explicit DialogKeys(EventQueue& events) : events_(events) {}

  // From now until Remove, the window takes dialog keys and its bound keys.
  void Add(HWND window, std::vector<KeyBinding> bindings);
  void Remove(HWND window);

  // Queues the bound event of a key pressed in a window with that binding; false for any other
  // message, which then goes its usual way. Bound keys go first: Escape in the preview is a
  // command of its own, not a dialog key. A key that stands for a button of the window does
  // nothing while the button is disabled.
  bool TranslateBoundKey(const MSG& message);
  // Lets a window that takes dialog keys handle a message for it or its controls the way a
  // dialog box does, which dispatches it; what a key presses reaches the window as the click
  // does. False for any other message, which then goes its usual way.
  bool HandleDialogMessage(MSG& message);

 private:
  struct Window {
    HWND handle;
    std::vector<KeyBinding> bindings;
  };
  EventQueue& events_;
  std::vector<Window> windows_;
};

}  // namespace orv
