#include "output/gdiplus_win.h"

#include <windows.h>

#include <objidl.h>

#include <cstddef>
#include <cstdio>
#include <limits>
#include <new>

#include "base/fault_location.h"
#include "output/output_file.h"
#include "win/system_functions.h"

namespace orv {
namespace {

using Gdiplus::GpStatus;
using Gdiplus::Ok;

// The published identifiers of GDI+'s GIF and TIFF encoders.
constexpr CLSID kGifEncoder = {
    0x557CF402, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
constexpr CLSID kTiffEncoder = {
    0x557CF405, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};

// Shuts GDI+ down at scope end; declared after the library so that it runs before the unload.
class Session {
 public:
  Session(const win::GdiPlusFunctions& api, ULONG_PTR token) : api_(api), token_(token) {}
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;
  ~Session() {
    ORV_TRACE_LOCATION();
    api_.GdiplusShutdown(token_);
  }

 private:
  const win::GdiPlusFunctions& api_;
  ULONG_PTR token_;
};

// Disposes of a GDI+ bitmap at scope end, before the session ends.
class GpImage {
 public:
  GpImage(const win::GdiPlusFunctions& api, Gdiplus::GpBitmap* image) : api_(api), image_(image) {}
  GpImage(const GpImage&) = delete;
  GpImage& operator=(const GpImage&) = delete;
  ~GpImage() {
    ORV_TRACE_LOCATION();
    api_.GdipDisposeImage(image_);
  }
  Gdiplus::GpBitmap* get() const { return image_; }

 private:
  const win::GdiPlusFunctions& api_;
  Gdiplus::GpBitmap* image_;
};

// Releases a COM stream at scope end.
class StreamHolder {
 public:
  StreamHolder() = default;
  StreamHolder(const StreamHolder&) = delete;
  StreamHolder& operator=(const StreamHolder&) = delete;
  ~StreamHolder() {
    if (stream_) stream_->Release();
  }
  IStream** out() { return &stream_; }
  IStream* get() const { return stream_; }

 private:
  IStream* stream_ = nullptr;
};

// Writes the bytes GDI+ left in the memory stream to the file, every write checked; a failed
// write leaves no file.
bool WriteStreamToFile(IStream* stream, const std::wstring& file) {
  STATSTG status{};
  HGLOBAL memory = nullptr;
  if (FAILED(stream->Stat(&status, STATFLAG_NONAME)) ||
      FAILED(GetHGlobalFromStream(stream, &memory))) {
    return false;
  }
  const auto size = static_cast<std::size_t>(status.cbSize.QuadPart);
  if (size == 0 || size > GlobalSize(memory)) return false;
  const void* bytes = GlobalLock(memory);
  if (bytes == nullptr) return false;
  OutputFile out(file);
  const bool written = out.IsOpen() && std::fwrite(bytes, 1, size, out.Stream()) == size;
  GlobalUnlock(memory);
  return written && out.Finish();
}

// A GDI+ bitmap over the image's own pixels: rows top to bottom through the view's stride (a
// negative stride for the bottom-up rows of a DIB), and for 8 bits the colour table set
// explicitly, every entry opaque. No bitmap handle is handed over: GDI+ must not be given a
// bitmap that is or was selected into a device context.
GpStatus CreateBitmapOver(const win::GdiPlusFunctions& api, const ImageView& image,
                          Gdiplus::GpBitmap** created) {
  const Gdiplus::PixelFormat format =
      image.bitsPerPixel == 8 ? PixelFormat8bppIndexed : PixelFormat24bppRGB;
  ORV_TRACE_LOCATION();
  return api.GdipCreateBitmapFromScan0(image.width, image.height, static_cast<INT>(image.stride),
                                       format, const_cast<BYTE*>(image.top), created);
}

// The record's one entry is the first of its 256: the caller makes room for the others.
GpStatus SetColourTable(const win::GdiPlusFunctions& api, Gdiplus::GpBitmap* bitmap,
                        const ImageView& image) {
  constexpr std::size_t kEntries = 256;
  constexpr std::size_t kEntriesAt = offsetof(Gdiplus::ColorPalette, Entries);
  alignas(Gdiplus::ColorPalette) std::byte record[kEntriesAt + kEntries * sizeof(Gdiplus::ARGB)];
  auto* palette = new (record) Gdiplus::ColorPalette{};
  palette->Flags = 0;  // no alpha, not grey, not halftone
  palette->Count = kEntries;
  auto* entries = reinterpret_cast<Gdiplus::ARGB*>(record + kEntriesAt);
  for (std::size_t i = 0; i < kEntries; ++i) {
    entries[i] = 0xFF000000u | (image.colors[i] & 0x00FFFFFFu);
  }
  ORV_TRACE_LOCATION();
  return api.GdipSetImagePalette(bitmap, palette);
}

bool IsSavableImage(const ImageView& image) {
  const bool depth = image.bitsPerPixel == 24 || (image.bitsPerPixel == 8 && image.colors);
  const std::ptrdiff_t stride = image.stride < 0 ? -image.stride : image.stride;
  return image.top && image.width > 0 && image.height > 0 && depth && stride % 4 == 0 &&
         stride <= std::numeric_limits<INT>::max();
}

}  // namespace

GdiPlusResult SaveWithGdiPlus(const ImageView& image, const std::wstring& file,
                              GdiPlusFormat format) {
  if (!IsSavableImage(image)) return GdiPlusResult::Failed;
  ORV_TRACE_LOCATION();
  const win::GdiPlusFunctions api;
  if (!api.library) return GdiPlusResult::Unavailable;
  if (!api) return GdiPlusResult::Unavailable;  // a library of that name, but not the one we need

  ULONG_PTR token = 0;
  const Gdiplus::GdiplusStartupInput input;  // version 1, no debug callback, the usual thread
  ORV_TRACE_LOCATION();
  const GpStatus started = api.GdiplusStartup(&token, &input, nullptr);
  if (token == 0) return GdiPlusResult::Failed;
  const Session session(api, token);
  if (started != Ok) return GdiPlusResult::Failed;

  Gdiplus::GpBitmap* created = nullptr;
  if (CreateBitmapOver(api, image, &created) != Ok || created == nullptr) {
    return GdiPlusResult::Failed;
  }
  const GpImage bitmap(api, created);
  if (image.bitsPerPixel == 8 && SetColourTable(api, bitmap.get(), image) != Ok) {
    return GdiPlusResult::Failed;
  }

  // GDI+ encodes into memory and the program writes the file itself: GDI+'s own file writing
  // (under Wine at least) reports a file cut short by a full disk as saved, and can even crash
  // when the disk is full from the start.
  StreamHolder stream;
  ORV_TRACE_LOCATION();
  if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stream.out()))) return GdiPlusResult::Failed;
  const CLSID& encoder = format == GdiPlusFormat::Gif ? kGifEncoder : kTiffEncoder;
  ORV_TRACE_LOCATION();
  if (api.GdipSaveImageToStream(bitmap.get(), stream.get(), &encoder, nullptr) != Ok) {
    return GdiPlusResult::Failed;
  }
  ORV_TRACE_LOCATION();
  return WriteStreamToFile(stream.get(), file) ? GdiPlusResult::Saved : GdiPlusResult::Failed;
}

}  // namespace orv
