#include "output/clipboard_win.h"

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <span>
#include <utility>

#include "base/fault_location.h"
#include "output/packed_dib.h"
#include "win/clipboard.h"
#include "win/unique_handle.h"

namespace orv {
namespace {

// How long a clipboard held by another program is waited for: ten more tries, 20 ms apart.
constexpr int kOpenRetries = 10;
constexpr DWORD kOpenRetryInterval = 20;

// Movable global memory of `size` bytes that `fill` writes whole; empty when it cannot be made.
win::UniqueGlobal FilledGlobalMemory(UINT flags, std::size_t size,
                                     const std::function<bool(std::span<std::uint8_t>)>& fill) {
  if (size == 0) return {};
  win::UniqueGlobal memory(GlobalAlloc(GMEM_MOVEABLE | flags, size));
  if (!memory) return {};
  void* locked = GlobalLock(memory.get());
  if (locked == nullptr) return {};
  const bool filled = fill(std::span(static_cast<std::uint8_t*>(locked), size));
  GlobalUnlock(memory.get());
  return filled ? std::move(memory) : win::UniqueGlobal{};
}

// Places memory on the open clipboard; once placed, it belongs to the system.
bool Place(UINT format, win::UniqueGlobal memory) {
  if (!memory || SetClipboardData(format, memory.get()) == nullptr) return false;
  memory.release();
  return true;
}

}  // namespace

UINT PngClipboardFormat() {
  // Registering again gives the same number for the whole session.
  return RegisterClipboardFormatW(L"PNG");
}

win::UniqueGlobal PackedDibMemory(const win::DibImage& image) {
  if (!image) return {};
  const ImageView view = image.View();
  ORV_TRACE_LOCATION();
  return FilledGlobalMemory(GMEM_ZEROINIT, PackedDibSize(view),
                            [&](std::span<std::uint8_t> out) { return FillPackedDib(view, out); });
}

win::UniqueGlobal PackedDibV5Memory(const win::DibImage& image) {
  if (!image) return {};
  const ImageView view = image.View();
  ORV_TRACE_LOCATION();
  return FilledGlobalMemory(0, PackedDibV5Size(view), [&](std::span<std::uint8_t> out) {
    return FillPackedDibV5(view, out);
  });
}

win::UniqueGlobal PngMemory(const PngFile& png) {
  ORV_TRACE_LOCATION();
  return FilledGlobalMemory(0, png.Size(), [&](std::span<std::uint8_t> out) {
    return png.WriteTo([&out](std::span<const std::uint8_t> bytes) {
      if (bytes.empty()) return true;  // an empty chunk's data has no address for memcpy
      std::memcpy(out.data(), bytes.data(), bytes.size());
      out = out.subspan(bytes.size());
      return true;
    });
  });
}

void ClipboardPicture::Copy(win::DibImage capture, HWND owner) {
  if (!capture) return;
  ORV_TRACE_LOCATION();
  // The owner keeps what it puts there: Windows refuses the data of an ownerless clipboard, and
  // the delayed forms are asked of the owner.
  const win::OpenedClipboard clipboard(owner, kOpenRetries, kOpenRetryInterval);
  if (!clipboard) return;  // another program keeps holding it; a copy is not worth a message

  win::UniqueGlobal memory = PackedDibMemory(capture);
  // Without the bitmap the clipboard keeps what it had rather than being emptied for nothing.
  if (!memory) return;
  ORV_TRACE_LOCATION();
  // Emptying tells the clipboard's owner so (WM_DESTROYCLIPBOARD): a picture of ours there goes
  // now, before this one is kept.
  if (!win::ReplaceClipboardContent(CF_DIB, memory)) return;
  picture_ = std::move(capture);
  placedV5_ = placedPng_ = false;
  SetClipboardData(CF_DIBV5, nullptr);
  if (const UINT png = PngClipboardFormat(); png != 0) SetClipboardData(png, nullptr);
}

win::UniqueGlobal ClipboardPicture::Render(UINT format) const {
  if (!picture_ || format == 0) return {};
  if (format == CF_DIBV5) return PackedDibV5Memory(picture_);
  if (format == PngClipboardFormat()) {
    return PngMemory(PngFile::Encode(picture_.View(), kHandedOverPng));
  }
  return {};
}

void ClipboardPicture::RenderFormat(UINT format) {
  ORV_TRACE_LOCATION();
  // The program that asked holds the clipboard open: it is not opened here.
  if (!Place(format, Render(format))) return;
  (format == CF_DIBV5 ? placedV5_ : placedPng_) = true;
}

void ClipboardPicture::RenderAllFormats(HWND owner) {
  if (!picture_) return;
  ORV_TRACE_LOCATION();
  {
    // Not emptied: that would take away the bitmap placed at once. Another program may have
    // taken the clipboard since this message was sent; its content stays as it is.
    const win::OpenedClipboard clipboard(owner, kOpenRetries, kOpenRetryInterval);
    if (clipboard && GetClipboardOwner() == owner) {
      if (!placedV5_) Place(CF_DIBV5, Render(CF_DIBV5));
      if (!placedPng_) Place(PngClipboardFormat(), Render(PngClipboardFormat()));
    }
  }
  Release();  // the owner goes: nobody can ask it for anything now
}

void ClipboardPicture::Release() {
  picture_ = {};
  placedV5_ = placedPng_ = false;
}

}  // namespace orv
