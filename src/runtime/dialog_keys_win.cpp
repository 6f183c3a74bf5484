#include "runtime/dialog_keys_win.h"

#include <algorithm>
#include <utility>

namespace orv {

void DialogKeys::Add(HWND window, std::vector<KeyBinding> bindings) {
  Remove(window);
  windows_.push_back({window, std::move(bindings)});
}

void DialogKeys::Remove(HWND window) {
  std::erase_if(windows_, [window](const Window& known) { return known.handle == window; });
}

bool DialogKeys::TranslateBoundKey(const MSG& message) {
  if (message.message != WM_KEYDOWN || !message.hwnd) return false;
  const HWND root = GetAncestor(message.hwnd, GA_ROOT);
  for (const Window& window : windows_) {
    if (!root || root != window.handle) continue;
    for (const KeyBinding& binding : window.bindings) {
      if (binding.key == message.wParam) {
        events_.Queue(binding.event);
        return true;
      }
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
