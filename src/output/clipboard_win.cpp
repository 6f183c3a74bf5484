#include "output/clipboard_win.h"

#include <windows.h>

#include <cstdint>
#include <span>

#include "app/images_win.h"
#include "output/packed_dib.h"
#include "settings/fault_location.h"
#include "win/unique_handle.h"

namespace orv {
namespace {

// Closes the clipboard this program opened, on every path.
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

// Fills movable global memory with the packed bitmap; false when it cannot be locked.
bool FillGlobalMemory(HGLOBAL memory, const ImageView& image, std::size_t size) {
  void* locked = GlobalLock(memory);
  if (locked == nullptr) return false;
  const bool filled = FillPackedDib(image, std::span(static_cast<std::uint8_t*>(locked), size));
  GlobalUnlock(memory);
  return filled;
}

}  // namespace

void CopyToClipboard() {
  const win::DibImage* capture = Images::Get(ImageId::Capture);
  if (capture == nullptr) return;
  ORV_TRACE_LOCATION();
  const OpenedClipboard clipboard;
  if (!clipboard) return;  // another program holds it; a copy is not worth a message

  const ImageView view = capture->View();
  const std::size_t size = PackedDibSize(view);
  if (size == 0) return;
  ORV_TRACE_LOCATION();
  win::UniqueGlobal memory(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size));
  // Without the bitmap the clipboard keeps what it had rather than being emptied for nothing.
  if (!memory || !FillGlobalMemory(memory.get(), view, size)) return;

  ORV_TRACE_LOCATION();
  EmptyClipboard();
  // Once placed, the memory belongs to the system; a refusal leaves it ours to free.
  if (SetClipboardData(CF_DIB, memory.get()) != nullptr) memory.release();
}

}  // namespace orv
