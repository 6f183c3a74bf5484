#include "output/gdiplus_win.h"

#include <windows.h>

#include <objidl.h>

#include <cstdio>
#include <limits>

#include "base/fault_location.h"
#include "output/output_file.h"
#include "win/system.h"

namespace orv {
namespace {

// The flat API as gdiplus.dll exports it. Declared here rather than taken from the SDK headers
// because the library is only loaded at run time, for one save.
using GpStatus = int;  // 0 is Ok
constexpr GpStatus kOk = 0;

// GdiplusStartupInput in the platform's layout: the pointer after the 32-bit version is aligned
// to its own size.
struct StartupInput {
  UINT32 GdiplusVersion = 1;
  void* DebugEventCallback = nullptr;
  BOOL SuppressBackgroundThread = FALSE;
  BOOL SuppressExternalCodecs = FALSE;
};
static_assert(sizeof(StartupInput) == (sizeof(void*) == 8 ? 24 : 16));

using StartupFn = GpStatus(WINAPI*)(ULONG_PTR* token, const StartupInput* input, void* output);
using CreateBitmapFn = GpStatus(WINAPI*)(INT width, INT height, INT stride, INT format, BYTE* scan0,
                                         void** image);

// The pixel formats (Gdipluspixelformats.h) of the program's images.
constexpr INT kPixelFormat8bppIndexed = 0x00030803;
constexpr INT kPixelFormat24bppRGB = 0x00021808;

// ColorPalette with room for 256 entries: flags, count, then ARGB entries.
struct ColorPalette256 {
  UINT Flags = 0;  // no alpha, not grey, not halftone
  UINT Count = 256;
  UINT32 Entries[256] = {};
};
using SetPaletteFn = GpStatus(WINAPI*)(void* image, const ColorPalette256* palette);
using SaveFn = GpStatus(WINAPI*)(void* image, IStream* stream, const CLSID* encoder,
                                 const void* parameters);
using DisposeFn = GpStatus(WINAPI*)(void* image);
using ShutdownFn = void(WINAPI*)(ULONG_PTR token);

// The published identifiers of GDI+'s GIF and TIFF encoders.
constexpr CLSID kGifEncoder = {
    0x557CF402, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
constexpr CLSID kTiffEncoder = {
    0x557CF405, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};

struct FlatApi {
  StartupFn startup;
  CreateBitmapFn createBitmap;
  SetPaletteFn setPalette;
  SaveFn save;
  DisposeFn dispose;
  ShutdownFn shutdown;
};

// Shuts GDI+ down at scope end; declared after the library so that it runs before the unload.
class Session {
 public:
  Session(const FlatApi& api, ULONG_PTR token) : api_(api), token_(token) {}
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;
  ~Session() {
    ORV_TRACE_LOCATION();
    api_.shutdown(token_);
  }

 private:
  const FlatApi& api_;
  ULONG_PTR token_;
};

// Disposes of a GDI+ image at scope end, before the session ends.
class GpImage {
 public:
  GpImage(const FlatApi& api, void* image) : api_(api), image_(image) {}
  GpImage(const GpImage&) = delete;
  GpImage& operator=(const GpImage&) = delete;
  ~GpImage() {
    ORV_TRACE_LOCATION();
    api_.dispose(image_);
  }
  void* get() const { return image_; }

 private:
  const FlatApi& api_;
  void* image_;
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
GpStatus CreateBitmapOver(const FlatApi& api, const ImageView& image, void** created) {
  const INT format = image.bitsPerPixel == 8 ? kPixelFormat8bppIndexed : kPixelFormat24bppRGB;
  ORV_TRACE_LOCATION();
  return api.createBitmap(image.width, image.height, static_cast<INT>(image.stride), format,
                          const_cast<BYTE*>(image.top), created);
}

GpStatus SetColourTable(const FlatApi& api, void* bitmap, const ImageView& image) {
  ColorPalette256 palette;
  for (UINT i = 0; i < palette.Count; ++i) {
    palette.Entries[i] = 0xFF000000u | (image.colors[i] & 0x00FFFFFFu);
  }
  ORV_TRACE_LOCATION();
  return api.setPalette(bitmap, &palette);
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
  const win::UniqueModule library = win::LoadSystemLibrary(L"gdiplus.dll");
  if (!library) return GdiPlusResult::Unavailable;
  const HMODULE module = library.get();
  const FlatApi api{win::GetProc<StartupFn>(module, "GdiplusStartup"),
                    win::GetProc<CreateBitmapFn>(module, "GdipCreateBitmapFromScan0"),
                    win::GetProc<SetPaletteFn>(module, "GdipSetImagePalette"),
                    win::GetProc<SaveFn>(module, "GdipSaveImageToStream"),
                    win::GetProc<DisposeFn>(module, "GdipDisposeImage"),
                    win::GetProc<ShutdownFn>(module, "GdiplusShutdown")};
  if (!api.startup || !api.createBitmap || !api.setPalette || !api.save || !api.dispose ||
      !api.shutdown) {
    return GdiPlusResult::Unavailable;  // a library of that name, but not the one we need
  }

  ULONG_PTR token = 0;
  const StartupInput input;
  ORV_TRACE_LOCATION();
  const GpStatus started = api.startup(&token, &input, nullptr);
  if (token == 0) return GdiPlusResult::Failed;
  const Session session(api, token);
  if (started != kOk) return GdiPlusResult::Failed;

  void* created = nullptr;
  if (CreateBitmapOver(api, image, &created) != kOk || created == nullptr) {
    return GdiPlusResult::Failed;
  }
  const GpImage bitmap(api, created);
  if (image.bitsPerPixel == 8 && SetColourTable(api, bitmap.get(), image) != kOk) {
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
  if (api.save(bitmap.get(), stream.get(), &encoder, nullptr) != kOk) return GdiPlusResult::Failed;
  ORV_TRACE_LOCATION();
  return WriteStreamToFile(stream.get(), file) ? GdiPlusResult::Saved : GdiPlusResult::Failed;
}

}  // namespace orv
