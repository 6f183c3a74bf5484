// The capture on the system clipboard, as one device-independent bitmap (CF_DIB).
#pragma once

namespace orv {

// Replaces the clipboard's content with the capture image. Silent when the clipboard is held by
// another program or memory runs out; the clipboard then keeps what it had.
void CopyToClipboard();

}  // namespace orv
