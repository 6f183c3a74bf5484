// Clipboard and drag timing under Wine or on Windows, on the export benchmark's pictures: the
// copy as the program made it before (the 24-bit bitmap alone) and as it makes it now (the same
// bitmap placed at once, the 32-bit bitmap and the PNG offered for later), then what a program
// that pastes waits for each delayed form, asked of the clipboard as any program asks for it (the
// system sends this program's window WM_RENDERFORMAT), and what a drop target that asks for the
// dragged picture's file waits for it to be made and written. Median wall time (and CPU time of
// the thread) of five runs each. Needs a display (under Wine, an X display).
//
// Usage: clipboard_timing_win.exe DIR, DIR holding the pictures of
// `export_bench --dump_images=DIR`.
#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <string>

#include "output/clipboard_win.h"
#include "output/png_writer.h"
#include "timing_win.h"
#include "win/clipboard.h"
#include "win/dib_image.h"
#include "win/unique_handle.h"

namespace orv {
namespace {

using bench::Format;
using bench::Median;
using bench::Timing;

std::string Milliseconds(double ms) {
  char text[32];
  std::snprintf(text, sizeof(text), "%.0f ms", ms);
  return text;
}

ClipboardPicture* answering = nullptr;  // the window procedure gets no context of ours

// The owner of the clipboard, as the program's main window is: it answers the delayed forms.
LRESULT CALLBACK OwnerProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_RENDERFORMAT:
      answering->RenderFormat(static_cast<UINT>(wParam));
      return 0;
    case WM_RENDERALLFORMATS:
      answering->RenderAllFormats(window);
      return 0;
    case WM_DESTROYCLIPBOARD:
      answering->Release();
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

// The copy as the program made it before: the clipboard emptied and the bitmap placed.
bool CopyBitmapAlone(const win::DibImage& image, HWND owner) {
  const win::OpenedClipboard clipboard(owner, 10, 20);
  if (!clipboard) return false;
  win::UniqueGlobal memory = PackedDibMemory(image);
  return memory && win::ReplaceClipboardContent(CF_DIB, memory);
}

// A paste of one form: the clipboard opened by this program as by any other, the form asked
// for, its size read.
bool Paste(UINT format, HWND window) {
  const win::OpenedClipboard clipboard(window, 10, 20);
  const HANDLE data = clipboard ? GetClipboardData(format) : nullptr;
  return data != nullptr && GlobalSize(data) > 0;
}

}  // namespace
}  // namespace orv

int main(int argc, char** argv) {
  using namespace orv;
  if (argc != 2) {
    std::fprintf(stderr, "usage: clipboard_timing_win DIR\n");
    return 2;
  }
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = OwnerProcedure;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"OrvantaClipboardTiming";
  RegisterClassW(&windowClass);
  const HWND owner = CreateWindowExW(0, windowClass.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 10, 10,
                                     nullptr, nullptr, windowClass.hInstance, nullptr);
  ClipboardPicture clipboard;
  answering = &clipboard;
  const std::filesystem::path folder = argv[1];
  std::printf(
      "| picture | copy before (bitmap alone) | copy now | paste of the 32-bit bitmap | "
      "paste of the PNG | the dragged file |\n|---|---|---|---|---|---|\n");
  bool ok = owner != nullptr;
  for (const char* name : bench::kPictures) {
    const win::DibImage image = bench::LoadBmp(folder / (std::string(name) + ".bmp"));
    if (!image) {
      std::fprintf(stderr, "cannot read %s.bmp in %s\n", name, argv[1]);
      return 1;
    }
    // The two copies take turns, fifteen times, so that a busy machine slows both alike. The
    // program hands its capture over to the clipboard; here a copy made beforehand is.
    constexpr int kTurns = 15;
    std::array<double, kTurns> beforeMs{}, nowMs{};
    win::DibImage copy;
    for (int i = 0; i < kTurns; ++i) {
      beforeMs[i] = Median([&] { return CopyBitmapAlone(image, owner); }, ok, {}, 1).wallMs;
      nowMs[i] = Median(
                     [&] {
                       clipboard.Copy(std::move(copy), owner);
                       return true;
                     },
                     ok, [&] { copy = image.Clone(); }, 1)
                     .wallMs;
    }
    std::sort(beforeMs.begin(), beforeMs.end());
    std::sort(nowMs.begin(), nowMs.end());
    const double before = beforeMs[kTurns / 2], now = nowMs[kTurns / 2];
    // Each paste after a fresh copy, so that the form is made every time.
    const auto fresh = [&] { clipboard.Copy(image.Clone(), owner); };
    const Timing v5 = Median([&] { return Paste(CF_DIBV5, owner); }, ok, fresh);
    const Timing png = Median([&] { return Paste(PngClipboardFormat(), owner); }, ok, fresh);
    const std::filesystem::path file = std::filesystem::temp_directory_path() / "orvanta-drag.png";
    const Timing dragged =
        Median([&] { return WritePngFile(image.View(), file.wstring(), kHandedOverPng); }, ok);
    std::filesystem::remove(file);
    std::printf("| %s | %s | %s | %s | %s | %s |\n", name, Milliseconds(before).c_str(),
                Milliseconds(now).c_str(), Format(v5).c_str(), Format(png).c_str(),
                Format(dragged).c_str());
  }
  DestroyWindow(owner);
  return ok ? 0 : 1;
}
