// The capture keys: a system-wide low-level keyboard hook that turns Print Screen combinations
// into capture commands, and the same combinations registered as hot keys for when the hook is
// not called (while an elevated program's window has the keyboard). The hook lives on a thread
// of its own that does nothing but answer it, so that no key of any program waits while the
// program pauses, grabs, prints or saves (Windows removes a hook that keeps keys waiting too
// long, silently).
#pragma once

#include <windows.h>

#include <optional>
#include <utility>

#include "base/object_ids.h"
#include "win/unique_handle.h"

namespace orv {

// The hook's thread, from the hook's installation to its removal.
class KeyboardHook {
 public:
  KeyboardHook() = default;
  KeyboardHook(win::UniqueKernelHandle thread, DWORD threadId)
      : thread_(std::move(thread)), threadId_(threadId) {}
  KeyboardHook(KeyboardHook&&) = default;
  // Removes the hook held so far and takes the other's.
  KeyboardHook& operator=(KeyboardHook&& other) noexcept {
    if (this == &other) return *this;
    Remove();
    thread_ = std::move(other.thread_);
    threadId_ = std::exchange(other.threadId_, 0);
    return *this;
  }
  ~KeyboardHook() { Remove(); }

  explicit operator bool() const { return static_cast<bool>(thread_); }

  // Installs the hook afresh, the new one before the old one goes, for when Windows may have
  // removed the old one without a word (a time-out, a locked session, sleep).
  void Reinstall() const;
  // Unhooks and lets the thread end; nothing when the hook is not installed.
  void Remove();

 private:
  win::UniqueKernelHandle thread_;
  DWORD threadId_ = 0;
};

// Installs the low-level keyboard hook on its own thread and returns once it is in place; an
// empty object (the hook could not be installed) leaves captures to the hot keys and the tray.
KeyboardHook InstallKeyboardHook();

// Where the hook posts its commands: the main window once it exists, none again before it goes.
// Until then the keys pass on as if no combination had been pressed. Safe from any thread.
void SetKeyboardHookTarget(HWND window);

// The three combinations as hot keys of a window, from registration to the object's end. Where
// the hook sees a press it swallows it, so these fire only when the hook is not called: one key
// press, one capture. The hook is called before the system matches hot keys, so this program
// takes a combination another program has registered as its hot key too; only while an
// administrator's window has the keyboard, where the hook is not called, does the other program
// get it (the registration here having failed).
class CaptureHotKeys {
 public:
  explicit CaptureHotKeys(HWND window);
  CaptureHotKeys(const CaptureHotKeys&) = delete;
  CaptureHotKeys& operator=(const CaptureHotKeys&) = delete;
  ~CaptureHotKeys();

 private:
  HWND window_;
};

// The capture command of a WM_HOTKEY's id, if the id is one of the capture hot keys.
std::optional<CommandId> CaptureHotKeyCommand(WPARAM hotKeyId);

}  // namespace orv
