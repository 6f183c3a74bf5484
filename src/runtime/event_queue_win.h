// The program's one event queue and the numbered windows whose messages feed it. Window
// procedures only queue events; the shell's event loop takes one at a time and runs its steps to
// the end (modal dialogs included) before it takes the next.
#pragma once

#include <windows.h>

#include <deque>
#include <map>
#include <optional>
#include <set>

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

  // While the window is open, Tab and Shift+Tab move the focus through its controls and Space and
  // Enter press them, as in a dialog box; the presses arrive as the clicks do.
  void UseDialogKeys(WindowId window) { dialogKeyWindows_.insert(window); }
  // Lets a window that uses dialog keys handle a message for it or its controls the way a dialog
  // box does, which dispatches it; false for any other message, which then goes its usual way.
  bool HandleDialogMessage(MSG& message);

  // The control of a numbered window that has, or gets back, the keyboard focus whenever the
  // window is active; null for none (the window itself).
  void SetFocusedControl(WindowId window, HWND control) { focusedControls_[window] = control; }
  HWND FocusedControl(WindowId window) const;

 private:
  std::deque<Event> events_;
  std::map<WindowId, HWND> windows_;
  std::map<WindowId, CommandId> escapeBindings_;
  std::set<WindowId> dialogKeyWindows_;
  std::map<WindowId, HWND> focusedControls_;
};

// What the program's windows of buttons (the preview and the about window) answer alike: a
// button's click queues a control event of the window, and a close request is refused, as such a
// window closes only through its buttons. As a dialog box does, the window keeps its focused
// control while another window is active and gives it the focus back, and Enter presses the
// focused push button, never another: there is no default button. Nothing for any other message.
std::optional<LRESULT> AnswerButtonWindowMessage(EventQueue& events, WindowId window, UINT message,
                                                 WPARAM wParam, LPARAM lParam);

}  // namespace orv
