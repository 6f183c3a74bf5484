// The capture in the system's paint program: written to a date-stamped temporary bitmap and the
// program started on it; where the system has no paint program, the user's editor for bitmaps
// (the shell's "edit" verb). The bitmap is kept until this program quits, however long the
// program takes to open it, and for good once the user has changed it there.
#pragma once

#include <string>

#include "output/temporary_images_win.h"
#include "win/dib_image.h"

namespace orv {

class PaintProgram {
 public:
  // The bitmaps handed over go with the program's other temporary image files.
  explicit PaintProgram(TemporaryImages& files);

  // Writes the capture to a temporary bitmap in tempDir, lets the capture go and starts the paint
  // program, else the bitmap editor, on the bitmap. A bitmap that could not be written whole, or
  // that nothing could be started on, goes at once. Nothing in it is reported to the user.
  void OpenInPaint(win::DibImage capture, const std::wstring& tempDir);

 private:
  TemporaryImages& files_;
};

}  // namespace orv
