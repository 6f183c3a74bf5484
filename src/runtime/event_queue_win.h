// The program's one event queue and the numbered windows whose messages feed it. Window
// procedures only queue events; the shell's event loop takes one at a time and runs its steps to
// the end (modal dialogs included) before it takes the next.
#pragma once

#include <windows.h>

#include <deque>
#include <map>
#include <optional>

#include "base/object_ids.h"
#include "runtime/event.h"

namespace orv {

class EventQueue {
 public:
  // Appends an event. Called by window procedures and for the keyboard hook's posted commands;
  // never runs an action itself.
  void Queue(const Event& event);
  // Takes the oldest event; false when none is queued.
  bool Take(Event& event);
  // Forgets every queued event (shutdown).
  void Clear() { events_.clear(); }

  // The program's numbered windows, registered by their owners while they exist.
  void RegisterWindow(WindowId id, HWND window) { windows_[id] = window; }
  void UnregisterWindow(WindowId id);
  HWND Window(WindowId id) const;

  // While the window is open, the Escape key in it (or in its controls) queues the command.
  void BindEscapeKey(WindowId window, CommandId command) { escapeBindings_[window] = command; }
  // Queues the bound command for an Escape key press in a window with a binding; false for any
  // other message, which then goes its usual way.
  bool TranslateEscapeKey(const MSG& message);

 private:
  std::deque<Event> events_;
  std::map<WindowId, HWND> windows_;
  std::map<WindowId, CommandId> escapeBindings_;
};

// What the program's windows of buttons (the preview and the about window) answer alike: a
// button's click queues a control event of the window, and a close request is refused, as such a
// window closes only through its buttons. Nothing for any other message.
std::optional<LRESULT> AnswerButtonWindowMessage(EventQueue& events, WindowId window, UINT message,
                                                 WPARAM wParam, LPARAM lParam);

}  // namespace orv
