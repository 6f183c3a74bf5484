// The capture on the system clipboard, as one device-independent bitmap (CF_DIB).
#pragma once

#include <windows.h>

#include "win/dib_image.h"
#include "win/unique_handle.h"

namespace orv {

// Replaces the clipboard's content with the capture, owned by owner (the main window). Silent
// when the clipboard is held by another program or memory runs out; the clipboard then keeps what
// it had.
void CopyToClipboard(const win::DibImage& capture, HWND owner);

// The image as a packed device-independent bitmap in movable global memory, the form in which
// the clipboard and drag and drop pass a CF_DIB; empty when it cannot be made.
win::UniqueGlobal PackedDibMemory(const win::DibImage& image);

}  // namespace orv
