// The clipboard, opened with no owner window for the length of one operation.
#pragma once

#include <windows.h>

#include "win/unique_handle.h"

namespace orv::win {

// Opens the clipboard and closes it again at scope end, on every path.
class OpenedClipboard {
 public:
  OpenedClipboard() : open_(OpenClipboard(nullptr) != FALSE) {}
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
