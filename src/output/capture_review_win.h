// The capture under review: the capture image, BackupImage (the capture as it was when its
// preview opened, which restore brings back), and the preview window that shows them. Assigning
// a new image to Capture or BackupImage releases the old one; an empty one holds nothing.
#pragma once

#include "output/preview_window_win.h"
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
  CaptureReview(const WindowHost& host, Settings& settings, const Folders& folders);

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

 private:
  Settings& settings_;
  const Folders& folders_;
  PreviewWindow preview_;
};

}  // namespace orv
