#include "output/clipboard_win.h"

#include <windows.h>

#include <cstdint>
#include <span>

#include "base/fault_location.h"
#include "output/packed_dib.h"
#include "runtime/images_win.h"
#include "win/clipboard.h"
#include "win/unique_handle.h"

namespace orv {
namespace {

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
  const win::OpenedClipboard clipboard;
  if (!clipboard) return;  // another program holds it; a copy is not worth a message

  const ImageView view = capture->View();
  const std::size_t size = PackedDibSize(view);
  if (size == 0) return;
  ORV_TRACE_LOCATION();
  win::UniqueGlobal memory(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size));
  // Without the bitmap the clipboard keeps what it had rather than being emptied for nothing.
  if (!memory || !FillGlobalMemory(memory.get(), view, size)) return;

  ORV_TRACE_LOCATION();
  win::ReplaceClipboardContent(CF_DIB, memory);
}

}  // namespace orv
