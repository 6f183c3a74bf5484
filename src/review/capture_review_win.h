// The capture under review: the capture image, BackupImage (the capture as it was when its
// preview opened, which restore brings back), and the preview window that shows them. The images
// are its own: a capture goes under review, is changed there, is lent to an output or handed over
// to the paint program, and both images go when the review closes.
#pragma once

#include "output/temporary_images_win.h"
#include "review/preview_window_win.h"
#include "settings/folders.h"
#include "settings/settings.h"
#include "win/dib_image.h"
#include "window_kit/button_window_win.h"

namespace orv {

class CaptureReview {
 public:
  // The preview's toggle shows FitPaperOrientation of settings, which ToggleFitToPaper flips; the
  // output policy is read from the program folder at every opening. A picture dragged out of the
  // preview is also written to a file among temporaryImages.
  CaptureReview(const WindowHost& host, Settings& settings, const Folders& folders,
                TemporaryImages& temporaryImages);

  // The capture goes under review (what was under review goes), with a backup copy, and the
  // preview window opens on it (replacing an open one).
  void OpenPreviewWindow(win::DibImage capture);
  // Closes the preview window; the images stay for an output.
  void ClosePreviewWindow() { preview_.Close(); }
  // The preview window closes and both images go (cancel, an output done, shutdown, a fault).
  void Close();

  // The capture lent to an output, which must not keep it; empty when there is none.
  const win::DibImage& Capture() const { return capture_; }
  // The capture handed over to an output that keeps it; the backup goes, nothing is left here.
  win::DibImage HandOver();

  // Changes to the capture, each shown in the preview at once. Restore makes it a copy of the
  // backup (none when memory runs out for it); the others leave it as it was when memory runs
  // out.
  void CopyBackupToCapture();
  void RotateCapture();  // a quarter turn counter-clockwise
  void MakeGrey();
  void MakeNegative();
  void ToggleFitToPaper();

 private:
  // Drags the capture as it is now out to another program: as a 24-bit and a 32-bit bitmap, as a
  // PNG and as a PNG file in the temporary folder, each made when the target asks for it. The
  // preview stays open.
  void DragPictureOut();

  Settings& settings_;
  const Folders& folders_;
  TemporaryImages& temporaryImages_;
  win::DibImage capture_;
  win::DibImage backupImage_;
  PreviewWindow preview_;
};

}  // namespace orv
