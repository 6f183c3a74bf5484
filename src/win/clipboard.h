// The clipboard, opened for the length of one operation.
#pragma once

#include <windows.h>

#include "win/system.h"
#include "win/unique_handle.h"

namespace orv::win {

// Opens the clipboard and closes it again at scope end, on every path.
class OpenedClipboard {
 public:
  // Opened for owner, which becomes the clipboard's owner once it is emptied. Clipboard history,
  // remote desktops and password managers hold the clipboard for a moment all the time: a
  // clipboard that is held is tried again after each pause of `interval` ms, `retries` times
  // (none: one attempt, as the fatal-error report makes, which must not wait).
  OpenedClipboard(HWND owner, int retries, DWORD interval) : open_(OpenClipboard(owner) != FALSE) {
    for (; !open_ && retries > 0; --retries) {
      Pause(interval);
      open_ = OpenClipboard(owner) != FALSE;
    }
  }
  OpenedClipboard(const OpenedClipboard&) = delete;
  OpenedClipboard& operator=(const OpenedClipboard&) = delete;
  ~OpenedClipboard() {
    if (open_) CloseClipboard();
  }
  explicit operator bool() const { return open_; }

 private:
  bool open_;
};

// Empties the open clipboard and places memory on it in the given format. Once placed, the
// memory belongs to the system and `memory` lets go of it; a refusal leaves it ours to free.
inline bool ReplaceClipboardContent(UINT format, UniqueGlobal& memory) {
  EmptyClipboard();
  if (SetClipboardData(format, memory.get()) == nullptr) return false;
  memory.release();
  return true;
}

}  // namespace orv::win
