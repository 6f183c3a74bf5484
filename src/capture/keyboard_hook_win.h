// The system-wide Print Screen hook that turns key combinations into capture commands. It lives
// on a thread of its own that does nothing but answer it, so that no key of any program waits
// while the program pauses, grabs, prints or saves (Windows removes a hook that keeps keys
// waiting too long, silently).
#pragma once

#include <windows.h>

#include <utility>

#include "win/unique_handle.h"

namespace orv {

// The hook's thread, from the hook's installation to its removal.
class KeyboardHook {
 public:
  KeyboardHook() = default;
  KeyboardHook(win::UniqueKernelHandle thread, DWORD threadId)
      : thread_(std::move(thread)), threadId_(threadId) {}
  KeyboardHook(KeyboardHook&&) = default;
  KeyboardHook& operator=(KeyboardHook&&) = delete;
  ~KeyboardHook() { Remove(); }

  explicit operator bool() const { return static_cast<bool>(thread_); }

  // Unhooks and lets the thread end; nothing when the hook is not installed.
  void Remove();

 private:
  win::UniqueKernelHandle thread_;
  DWORD threadId_ = 0;
};

// Installs the low-level keyboard hook on its own thread and returns once it is in place; an
// empty object (the hook could not be installed) leaves captures to the tray menu.
KeyboardHook InstallKeyboardHook();

// Where the hook posts its commands: the main window once it exists, none again before it goes.
// Until then the keys pass on as if no combination had been pressed. Safe from any thread.
void SetKeyboardHookTarget(HWND window);

}  // namespace orv
