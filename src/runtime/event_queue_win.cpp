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

std::optional<LRESULT> AnswerButtonWindowMessage(EventQueue& events, WindowId window, UINT message,
                                                 WPARAM wParam, LPARAM lParam) {
  // A static control's STN_CLICKED shares the code 0 with BN_CLICKED, so a link that notifies
  // counts as a button.
  if (message == WM_COMMAND && lParam != 0 && HIWORD(wParam) == BN_CLICKED) {
    events.Queue({EventKind::Control, static_cast<int>(window), LOWORD(wParam)});
    return 0;
  }
  if (message == WM_CLOSE) return 0;
  return std::nullopt;
}

}  // namespace orv
