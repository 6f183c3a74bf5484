#include "output/clipboard_win.h"

#include <windows.h>

#include <cstdint>
#include <span>

#include "base/fault_location.h"
#include "output/packed_dib.h"
#include "win/clipboard.h"
#include "win/unique_handle.h"

namespace orv {
namespace {

// How long a clipboard held by another program is waited for: ten more tries, 20 ms apart.
constexpr int kOpenRetries = 10;
constexpr DWORD kOpenRetryInterval = 20;

// Fills movable global memory with the packed bitmap; false when it cannot be locked.
bool FillGlobalMemory(HGLOBAL memory, const ImageView& image, std::size_t size) {
  void* locked = GlobalLock(memory);
  if (locked == nullptr) return false;
  const bool filled = FillPackedDib(image, std::span(static_cast<std::uint8_t*>(locked), size));
  GlobalUnlock(memory);
  return filled;
}

}  // namespace

win::UniqueGlobal PackedDibMemory(const win::DibImage& image) {
  if (!image) return {};
  const ImageView view = image.View();
  const std::size_t size = PackedDibSize(view);
  if (size == 0) return {};
  ORV_TRACE_LOCATION();
  win::UniqueGlobal memory(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size));
  if (!memory || !FillGlobalMemory(memory.get(), view, size)) return {};
  return memory;
}

void CopyToClipboard(const win::DibImage& capture, HWND owner) {
  if (!capture) return;
  ORV_TRACE_LOCATION();
  // The owner keeps what it puts there: Windows refuses the data of an ownerless clipboard.
  const win::OpenedClipboard clipboard(owner, kOpenRetries, kOpenRetryInterval);
  if (!clipboard) return;  // another program keeps holding it; a copy is not worth a message

  win::UniqueGlobal memory = PackedDibMemory(capture);
  // Without the bitmap the clipboard keeps what it had rather than being emptied for nothing.
  if (!memory) return;
  ORV_TRACE_LOCATION();
  win::ReplaceClipboardContent(CF_DIB, memory);
}

}  // namespace orv
