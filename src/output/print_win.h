// Printing the capture on one page of the default printer or of a printer chosen in the print
// dialog: the printer, the job, and the picture stretched onto the page; and the system's list of
// printers.
#pragma once

#include <windows.h>

#include <string>

#include "win/dib_image.h"

namespace orv {

// Prints the capture on one page, after the print dialog, which owner (the main window) owns.
// While fitPaperOrientation is on, the capture turned a quarter to the left is printed instead
// when the paper's orientation asks for it. Failures are silent; the capture is never changed.
void PrintWithDialog(const win::DibImage& capture, bool fitPaperOrientation, HWND owner);
// The same on the default printer; the print dialog when there is no usable default printer.
void PrintToDefault(const win::DibImage& capture, bool fitPaperOrientation, HWND owner);

// Starts the system's printer list without waiting for it.
void OpenPrintersFolder(const std::wstring& windowsDir);

}  // namespace orv
