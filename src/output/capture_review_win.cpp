#include "output/capture_review_win.h"

#include <utility>

#include "settings/preferences_win.h"

namespace orv {

CaptureReview::CaptureReview(const WindowHost& host, Settings& settings, const Folders& folders)
    : settings_(settings), folders_(folders), preview_(host, Capture) {}

void CaptureReview::OpenPreviewWindow() {
  preview_.Close();               // an open one is replaced
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

}  // namespace orv
