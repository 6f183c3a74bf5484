// Printing the capture on one page of the default printer or of a printer chosen in the print
// dialog: the printer, the job, and the picture stretched onto the page.
#pragma once

namespace orv {

// Prints the capture image on one page, on the default printer (the print dialog when there is
// no usable default printer) or, with useDefaultPrinter false, after the print dialog. While
// FitPaperOrientation is on it first makes PrintImage, the capture turned a quarter to the left,
// which is printed instead when the paper's orientation asks for it. Failures are silent; the
// capture image is never changed.
void PrintCapture(bool useDefaultPrinter);

}  // namespace orv
