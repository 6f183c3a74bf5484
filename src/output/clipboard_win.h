// The capture on the system clipboard, in three forms: a 24-bit device-independent bitmap
// (CF_DIB), placed at once; a 32-bit one with a version-5 header (CF_DIBV5) and a PNG file (the
// registered format "PNG"), both made only when a program asks for them (delayed rendering),
// from the program's own copy of the picture, which it keeps while it owns the clipboard. And
// the memory blocks of these forms, which a drag out of the preview offers as well.
#pragma once

#include <windows.h>

#include "output/png_writer.h"
#include "win/dib_image.h"
#include "win/unique_handle.h"

namespace orv {

class ClipboardPicture {
 public:
  ClipboardPicture() = default;
  ClipboardPicture(const ClipboardPicture&) = delete;
  ClipboardPicture& operator=(const ClipboardPicture&) = delete;

  // Replaces the clipboard's content with the capture, owned by owner (the main window, which
  // passes its clipboard messages to the three members below), and keeps the capture for the
  // delayed forms. Silent when the clipboard is held by another program or memory runs out; the
  // clipboard then keeps what it had.
  void Copy(win::DibImage capture, HWND owner);

  // WM_RENDERFORMAT: a program asked for a delayed form and holds the clipboard open meanwhile;
  // the form is placed on it (nothing, when it cannot be made).
  void RenderFormat(UINT format);
  // WM_RENDERALLFORMATS: the owner is about to go. Places the delayed forms not placed yet, if
  // the owner still owns the clipboard, so that a paste after the program quit still works; the
  // picture goes then.
  void RenderAllFormats(HWND owner);
  // WM_DESTROYCLIPBOARD: the clipboard was emptied, by another copy of ours or another program;
  // nobody will ask for the picture again. Also for a fault, when the delayed forms are given up.
  void Release();

 private:
  win::UniqueGlobal Render(UINT format) const;

  win::DibImage picture_;
  bool placedV5_ = false;
  bool placedPng_ = false;
};

// The registered clipboard format "PNG", through which programs exchange PNG files; 0 when it
// cannot be registered.
UINT PngClipboardFormat();

// The forms in movable global memory, as the clipboard and drag and drop pass them; empty when
// they cannot be made.
win::UniqueGlobal PackedDibMemory(const win::DibImage& image);
win::UniqueGlobal PackedDibV5Memory(const win::DibImage& image);
win::UniqueGlobal PngMemory(const PngFile& png);

}  // namespace orv
