// Dragging data out of the program into another one by OLE drag and drop: a small data object
// that offers blocks of movable global memory by clipboard format, and a drop source that drops
// where the left button is let go and cancels on Escape or a press of the right button.
#pragma once

#include <windows.h>

#include <objidl.h>

#include <string>
#include <vector>

#include "win/unique_handle.h"

namespace orv::win {

// One form of the dragged data, as the clipboard would hold it.
struct DragForm {
  CLIPFORMAT format;
  UniqueGlobal data;
};

// Runs a drag that offers the forms (those with data) to be copied, until the user drops or
// cancels, on a thread that has OLE (ScopedOle, which the program sets up at start-up). The
// pointer shows whether the target under it takes the drag. True when a target took it.
bool DragOut(std::vector<DragForm> forms);

// The CF_HDROP form that names one file; empty when memory runs out.
UniqueGlobal FileDropMemory(const std::wstring& path);

}  // namespace orv::win
