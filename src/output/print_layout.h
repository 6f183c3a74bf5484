// Where the capture goes on the printed page: whether the turned copy is used, its size in whole
// millimetres and the device rectangle. Pure arithmetic; the printer calls live in the Win32 layer.
#pragma once

#include <optional>

#include "base/geometry.h"

namespace orv {

// The printer's page metrics as GetDeviceCaps reports them: printable area in device pixels
// (HORZRES, VERTRES) and in whole millimetres (HORZSIZE, VERTSIZE).
struct PageMetrics {
  int horzRes = 0;
  int vertRes = 0;
  int horzSize = 0;
  int vertSize = 0;
};

// Device pixels per millimetre, single precision: resolution / size.
float DevicePixelsPerMm(int resolution, int sizeMm);

// Nearest integer, ties to the even neighbour, whatever the floating-point environment says.
// NaN gives 0; values beyond the int range saturate.
int RoundHalfEven(float value);

// A length in millimetres as device pixels: mm * pixelsPerMm, rounded half to even.
int MmToDevice(float mm, float pixelsPerMm);

// 1, 0.5 when both sides are below 300 pixels, 0.25 when both are below 100.
float PrintScale(Size image);

// The picture is turned only when it is landscape on portrait paper or portrait on landscape
// paper; a proportion of exactly 1 on either side never turns it.
bool ShouldTurn(float paperProportion, float imageProportion);

struct PrintPlacement {
  bool useTurned = false;  // print the turned copy (PrintImage) instead of the capture
  int widthMm = 0;         // the printed size in whole millimetres
  int heightMm = 0;
  Rect device;  // at the printable area's top-left corner, in device pixels
};

// Places the picture on the page: kept in proportion, as large as the printable area allows
// (halved or quartered when small), top-left aligned, turned to the paper's orientation when
// fitPaperOrientation is on and a turned copy exists. `turned` is the size of that copy, or
// nothing when there is none. Horizontal lengths use HORZRES / HORZSIZE, vertical ones
// VERTRES / VERTSIZE: drivers round both sizes to whole millimetres, and one factor for both
// would push a page-high picture past the bottom of the printable area.
// Nothing when the page metrics or the picture's size are not positive.
std::optional<PrintPlacement> PlacePrint(const PageMetrics& page, Size capture,
                                         bool fitPaperOrientation, std::optional<Size> turned);

// As above, with the turned copy a quarter turn of the capture (its sides swapped).
std::optional<PrintPlacement> PlacePrint(const PageMetrics& page, Size capture,
                                         bool fitPaperOrientation);

}  // namespace orv
