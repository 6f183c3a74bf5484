// The capture in the system's paint program: written to a date-stamped temporary bitmap and the
// program started on it. The bitmap is kept until this program quits, however long the paint
// program takes to open it, and for good once the user has changed it there.
#pragma once

#include <string>
#include <vector>

#include "win/dib_image.h"

namespace orv {

// The paint program and the bitmaps handed to it in this run.
class PaintProgram {
 public:
  PaintProgram();
  PaintProgram(const PaintProgram&) = delete;
  PaintProgram& operator=(const PaintProgram&) = delete;
  ~PaintProgram();

  // Writes the capture to a temporary bitmap in tempDir, lets the capture go and starts the paint
  // program on the bitmap. A bitmap no paint program could be started on goes at once. Nothing
  // in it is reported to the user.
  void OpenInPaint(win::DibImage capture, const std::wstring& tempDir);

  // At quit: deletes the bitmaps handed over in this run that are still as this program wrote
  // them. One the user saved a change into is the user's, and stays.
  void RemovePaintBitmaps();

 private:
  struct Bitmap;
  // They stay until the program quits: no pause is long enough for every paint program (a store
  // app's cold start can take seconds).
  std::vector<Bitmap> bitmaps_;
};

// At start-up: deletes the temporary bitmaps an earlier run left in the temporary folder (it did
// not quit normally) that are still as it wrote them, and nothing else there.
void RemoveLeftoverPaintBitmaps(const std::wstring& tempDir);

}  // namespace orv
