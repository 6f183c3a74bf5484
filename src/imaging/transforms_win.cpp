#include "imaging/transforms_win.h"

#include <windows.h>

#include <utility>

#include "app/images_win.h"
#include "imaging/colour_filters.h"
#include "imaging/rotate.h"

namespace orv {

void RotateImage(ImageId id) {
  const win::DibImage* image = Images::Get(id);
  if (!image) return;
  win::DibImage turned = win::DibImage::Create(image->height(), image->width());
  if (!turned) return;  // out of memory: the picture stays as it was
  GdiFlush();           // pending drawing into the section must land before its bits are read
  if (RotateQuarterTurnLeft(image->View(), turned.View())) Images::Put(id, std::move(turned));
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
