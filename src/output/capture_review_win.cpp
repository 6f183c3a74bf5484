#include "output/capture_review_win.h"

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "base/fault_location.h"
#include "output/clipboard_win.h"
#include "output/png_writer.h"
#include "output/preview_layout.h"
#include "output/temp_image_name.h"
#include "settings/preferences_win.h"
#include "win/dpi.h"
#include "win/drag_out.h"

namespace orv {

CaptureReview::CaptureReview(const WindowHost& host, Settings& settings, const Folders& folders,
                             TemporaryImages& temporaryImages)
    : settings_(settings),
      folders_(folders),
      temporaryImages_(temporaryImages),
      preview_(host, Capture) {}

void CaptureReview::OpenPreviewWindow() {
  preview_.Close();  // an open one is replaced
  pressedAt_.reset();
  BackupImage = Capture.Clone();  // empty when there is no capture or memory runs out
  preview_.Open(settings_.FitPaperOrientation != 0, ReadOutputPolicy(folders_.ProgramDir));
}

void CaptureReview::CopyBackupToCapture() {
  if (!BackupImage) return;
  if (win::DibImage copy = BackupImage.Clone()) Capture = std::move(copy);
}

void CaptureReview::RotateCapture() {
  if (!Capture) return;
  if (win::DibImage turned = TurnedCopy(Capture)) Capture = std::move(turned);
}

void CaptureReview::ToggleFitToPaper() {
  if (const std::optional<bool> on = preview_.FollowFitToPaperToggle()) {
    settings_.FitPaperOrientation = *on ? 1 : 0;
  }
}

void CaptureReview::Release() {
  preview_.Close();
  Capture = {};
  BackupImage = {};
}

void CaptureReview::DragPictureOut(Point at) {
  const HWND window = preview_.Window();
  if (!pressedAt_ || !window || !Capture) return;
  if (!LeavesDragRectangle(*pressedAt_, at, win::DragSize(window))) return;
  pressedAt_.reset();  // the drag takes the button's release

  std::vector<win::DragForm> forms;
  forms.push_back({CF_DIB, PackedDibMemory(Capture)});
  // The file is written as the drag starts, so that a target gets it at once; without it the
  // drag offers the bitmap alone.
  const std::wstring png = temporaryImages_.Write(
      folders_.TempDir, kTemporaryPngType,
      [this](const std::wstring& path) { return WritePngFile(Capture.View(), path); });
  if (!png.empty()) forms.push_back({CF_HDROP, win::FileDropMemory(png)});
  win::DragOut(std::move(forms));  // whether a target took it changes nothing here
}

}  // namespace orv
