// The capture under review: the capture image, BackupImage (the capture as it was when its
// preview opened, which restore brings back), and the preview window that shows them. Assigning
// a new image to Capture or BackupImage releases the old one; an empty one holds nothing.
#pragma once

#include <optional>

#include "base/geometry.h"
#include "output/preview_window_win.h"
#include "output/temporary_images_win.h"
#include "output/transforms_win.h"
#include "runtime/button_window_win.h"
#include "runtime/folders.h"
#include "runtime/settings.h"
#include "win/dib_image.h"

namespace orv {

class CaptureReview {
 public:
  // The preview's toggle writes FitPaperOrientation of settings; the output policy is read from
  // the program folder at every opening.
  // A picture dragged out of the preview is also written to a file among temporaryImages.
  CaptureReview(const WindowHost& host, Settings& settings, const Folders& folders,
                TemporaryImages& temporaryImages);

  win::DibImage Capture;
  win::DibImage BackupImage;

  // Opens the preview window on the capture (replacing an open one), keeping a backup copy.
  void OpenPreviewWindow();
  void ClosePreviewWindow() { preview_.Close(); }
  // Redraws the size label and the scaled picture from the capture.
  void RefreshPreview() { preview_.Refresh(); }
  // The capture becomes a copy of the backup; it stays as it is when there is no backup or
  // memory runs out.
  void CopyBackupToCapture();
  // A quarter turn counter-clockwise; out of memory, the capture stays as it was.
  void RotateCapture();
  void MakeGrey() { MakeImageGrey(Capture); }
  void MakeNegative() { MakeImageNegative(Capture); }
  // FitPaperOrientation follows the preview's toggle, whose icon and tooltip follow it too.
  void ToggleFitToPaper();
  // The window closed, both images released (shutdown and the fatal-error report).
  void Release();

  // The left button went down on the preview's picture, at a point of the window.
  void PressOnPicture(Point at) { pressedAt_ = at; }
  // Once the pointer pressed on the picture has moved out of the system's drag rectangle, drags
  // the capture as it is now out to another program: as a 24-bit and a 32-bit bitmap, as a PNG
  // and as a PNG file in the temporary folder, each made when the target asks for it. One drag
  // per press; the preview stays open.
  void DragPictureOut(Point at);
  void ReleaseOnPicture() { pressedAt_.reset(); }

 private:
  Settings& settings_;
  const Folders& folders_;
  TemporaryImages& temporaryImages_;
  PreviewWindow preview_;
  std::optional<Point> pressedAt_;  // while the button pressed on the picture is down
};

}  // namespace orv
