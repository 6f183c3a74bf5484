#include "runtime/event_queue_win.h"

namespace orv {

void EventQueue::Queue(const Event& event) {
  events_.push_back(event);
}

bool EventQueue::Take(Event& event) {
  if (events_.empty()) return false;
  event = events_.front();
  events_.pop_front();
  return true;
}

void EventQueue::UnregisterWindow(WindowId id) {
  windows_.erase(id);
  escapeBindings_.erase(id);
  dialogKeyWindows_.erase(id);
  focusedControls_.erase(id);
}

HWND EventQueue::Window(WindowId id) const {
  const auto found = windows_.find(id);
  return found == windows_.end() ? nullptr : found->second;
}

bool EventQueue::TranslateEscapeKey(const MSG& message) {
  if (message.message != WM_KEYDOWN || message.wParam != VK_ESCAPE || !message.hwnd) return false;
  const HWND root = GetAncestor(message.hwnd, GA_ROOT);
  for (const auto& [window, command] : escapeBindings_) {
    if (root && root == Window(window)) {
      Queue({EventKind::Command, static_cast<int>(window), static_cast<int>(command)});
      return true;
    }
  }
  return false;
}

bool EventQueue::HandleDialogMessage(MSG& message) {
  for (const WindowId window : dialogKeyWindows_) {
    // IsDialogMessageW takes only the messages of the window and of its controls.
    const HWND handle = Window(window);
    if (handle && IsDialogMessageW(handle, &message)) return true;
  }
  return false;
}

HWND EventQueue::FocusedControl(WindowId window) const {
  const auto found = focusedControls_.find(window);
  return found == focusedControls_.end() ? nullptr : found->second;
}

namespace {

bool IsPushButton(HWND control) {
  return (SendMessageW(control, WM_GETDLGCODE, 0, 0) &
          (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) != 0;
}

}  // namespace

std::optional<LRESULT> AnswerButtonWindowMessage(EventQueue& events, WindowId window, UINT message,
                                                 WPARAM wParam, LPARAM lParam) {
  // A static control's STN_CLICKED shares the code 0 with BN_CLICKED, so a link that notifies
  // counts as a button.
  if (message == WM_COMMAND && lParam != 0 && HIWORD(wParam) == BN_CLICKED) {
    events.Queue({EventKind::Control, static_cast<int>(window), LOWORD(wParam)});
    return 0;
  }
  if (message == WM_CLOSE) return 0;
  const HWND handle = events.Window(window);
  if (!handle) return std::nullopt;
  if (message == WM_ACTIVATE) {
    // Left alone, the window would take the focus itself on every activation, and a keyboard
    // user would start again at its first control.
    const HWND focus = GetFocus();
    if (LOWORD(wParam) == WA_INACTIVE) {
      if (focus && IsChild(handle, focus)) events.SetFocusedControl(window, focus);
      return std::nullopt;
    }
    const HWND control = events.FocusedControl(window);
    if (!control || !IsChild(handle, control) || !IsWindowEnabled(control)) return std::nullopt;
    SetFocus(control);
    return 0;
  }
  if (message == DM_GETDEFID) {
    // Asked by the dialog keys when Enter is pressed: the focused push button, or none, so that
    // Enter on any other control presses nothing.
    const HWND focus = GetFocus();
    if (focus && IsChild(handle, focus) && IsWindowEnabled(focus) && IsPushButton(focus)) {
      return MAKELRESULT(GetDlgCtrlID(focus), DC_HASDEFID);
    }
    return 0;
  }
  return std::nullopt;
}

}  // namespace orv
