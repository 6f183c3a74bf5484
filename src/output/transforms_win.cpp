#include "output/transforms_win.h"

#include <windows.h>

#include <utility>

#include "imaging/colour_filters.h"
#include "imaging/rotate.h"
#include "runtime/images_win.h"

namespace orv {

void RotateImage(ImageId id) {
  const win::DibImage* image = Images::Get(id);
  if (!image) return;
  // Out of memory: the picture stays as it was (Put keeps the old image for an empty one).
  Images::Put(id, TurnedCopy(*image));
}

win::DibImage TurnedCopy(const win::DibImage& image) {
  win::DibImage turned = win::DibImage::Create(image.height(), image.width());
  if (!turned) return {};
  GdiFlush();  // pending drawing into the section must land before its bits are read
  if (!RotateQuarterTurnLeft(image.View(), turned.View())) return {};
  return turned;
}

void MakeImageGrey(ImageId id) {
  if (win::DibImage* image = Images::Get(id)) {
    GdiFlush();
    MakeGrey(image->View());
  }
}

void MakeImageNegative(ImageId id) {
  if (win::DibImage* image = Images::Get(id)) {
    GdiFlush();
    MakeNegative(image->View());
  }
}

}  // namespace orv
