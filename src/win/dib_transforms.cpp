#include "win/dib_transforms.h"

#include <windows.h>

#include "base/fault_location.h"
#include "imaging/colour_filters.h"
#include "imaging/rotate.h"

namespace orv {

win::DibImage TurnedCopy(const win::DibImage& image) {
  win::DibImage turned = win::DibImage::Create(image.height(), image.width());
  if (!turned) return {};
  GdiFlush();  // pending drawing into the section must land before its bits are read
  ORV_TRACE_LOCATION();
  if (!RotateQuarterTurnLeft(image.View(), turned.View())) return {};
  return turned;
}

void MakeImageGrey(win::DibImage& image) {
  if (!image) return;
  GdiFlush();
  ORV_TRACE_LOCATION();
  MakeGrey(image.View());
}

void MakeImageNegative(win::DibImage& image) {
  if (!image) return;
  GdiFlush();
  ORV_TRACE_LOCATION();
  MakeNegative(image.View());
}

}  // namespace orv
