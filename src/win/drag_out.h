// Dragging data out of the program into another one by OLE drag and drop: a small data object
// that offers blocks of movable global memory by clipboard format, each made when a target asks
// for it, and a drop source that drops where the left button is let go and cancels on Escape or
// a press of the right button.
#pragma once

#include <windows.h>

#include <objidl.h>

#include <functional>
#include <string>
#include <vector>

#include "win/unique_handle.h"

namespace orv::win {

// One form of the dragged data, as the clipboard would hold it: `make` gives a new block for
// every request (the target frees it), or an empty one when it cannot be made.
struct DragForm {
  CLIPFORMAT format;
  std::function<UniqueGlobal()> make;
};

// Runs a drag that offers the forms to be copied, until the user drops or cancels, on a thread
// that has OLE (ScopedOle, which the program sets up at start-up). The pointer shows whether the
// target under it takes the drag. Targets ask for the forms while the drag runs (a target that
// does not take them in its drop gets nothing later): what the forms are made from only has to
// last until this returns. True when a target took the drag.
bool DragOut(std::vector<DragForm> forms);

// The CF_HDROP form that names one file; empty when memory runs out.
UniqueGlobal FileDropMemory(const std::wstring& path);

}  // namespace orv::win
