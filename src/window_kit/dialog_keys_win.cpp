#include "window_kit/dialog_keys_win.h"

#include <algorithm>
#include <utility>
#include <variant>

namespace orv {

void DialogKeys::Add(HWND window, std::vector<KeyBinding> bindings) {
  Remove(window);
  windows_.push_back({window, std::move(bindings)});
}

void DialogKeys::Remove(HWND window) {
  std::erase_if(windows_, [window](const Window& known) { return known.handle == window; });
}

namespace {

// The state of a key when the message being handled was posted.
bool IsHeld(int key) {
  return GetKeyState(key) < 0;
}

bool Matches(const KeyBinding& binding, const MSG& message) {
  if (binding.key != message.wParam) return false;
  return !binding.withCtrl || (IsHeld(VK_CONTROL) && !IsHeld(VK_SHIFT) && !IsHeld(VK_MENU));
}

// Whether the event stands for a button of the window that is disabled now.
bool IsDisabledButton(HWND window, const Event& event) {
  const auto* control = std::get_if<ControlEvent>(&event);
  if (!control) return false;
  const HWND button = GetDlgItem(window, static_cast<int>(control->control));
  return button && !IsWindowEnabled(button);
}

}  // namespace

bool DialogKeys::TranslateBoundKey(const MSG& message) {
  if (message.message != WM_KEYDOWN || !message.hwnd) return false;
  const HWND root = GetAncestor(message.hwnd, GA_ROOT);
  for (const Window& window : windows_) {
    if (!root || root != window.handle) continue;
    for (const KeyBinding& binding : window.bindings) {
      if (!Matches(binding, message)) continue;
      if (!IsDisabledButton(window.handle, binding.event)) events_.Queue(binding.event);
      return true;
    }
  }
  return false;
}

bool DialogKeys::HandleDialogMessage(MSG& message) {
  // IsDialogMessageW takes only the messages of the window and of its controls.
  return std::any_of(windows_.begin(), windows_.end(), [&message](const Window& window) {
    return IsDialogMessageW(window.handle, &message) != FALSE;
  });
}

}  // namespace orv
