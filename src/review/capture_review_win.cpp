#include "review/capture_review_win.h"

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "base/fault_location.h"
#include "output/clipboard_win.h"
#include "output/png_writer.h"
#include "output/temp_image_name.h"
#include "settings/preferences_win.h"
#include "win/dib_transforms.h"
#include "win/drag_out.h"

namespace orv {

CaptureReview::CaptureReview(const WindowHost& host, Settings& settings, const Folders& folders,
                             TemporaryImages& temporaryImages)
    : settings_(settings),
      folders_(folders),
      temporaryImages_(temporaryImages),
      preview_(host, capture_, [this] { DragPictureOut(); }) {}

void CaptureReview::OpenPreviewWindow(win::DibImage capture) {
  preview_.Close();  // an open one is replaced
  capture_ = std::move(capture);
  backupImage_ = capture_.Clone();  // empty when memory runs out
  preview_.Open(settings_.FitPaperOrientation != 0, ReadOutputPolicy(folders_.ProgramDir));
}

void CaptureReview::Close() {
  preview_.Close();
  capture_ = {};
  backupImage_ = {};
}

win::DibImage CaptureReview::HandOver() {
  backupImage_ = {};
  return std::move(capture_);  // a moved image is empty
}

void CaptureReview::CopyBackupToCapture() {
  if (!backupImage_) return;
  capture_ = {};  // let go first: a large capture and its copy need not live at once
  capture_ = backupImage_.Clone();
  preview_.Refresh();
}

void CaptureReview::RotateCapture() {
  if (!capture_) return;
  if (win::DibImage turned = TurnedCopy(capture_)) capture_ = std::move(turned);
  preview_.Refresh();
}

void CaptureReview::MakeGrey() {
  MakeImageGrey(capture_);
  preview_.Refresh();
}

void CaptureReview::MakeNegative() {
  MakeImageNegative(capture_);
  preview_.Refresh();
}

void CaptureReview::ToggleFitToPaper() {
  settings_.FitPaperOrientation = settings_.FitPaperOrientation != 0 ? 0 : 1;
  preview_.ShowFitToPaper(settings_.FitPaperOrientation != 0);
}

void CaptureReview::DragPictureOut() {
  if (!capture_) return;
  // Each form is made when a target asks for it, so that the drag starts at once: from the
  // capture, which stays as it is while the drag runs (the loop only queues events meanwhile),
  // and the PNG once, for its own form and for the file.
  PngFile png;
  std::wstring file;
  const auto encoded = [&]() -> const PngFile& {
    if (!png) png = PngFile::Encode(capture_.View(), kHandedOverPng);
    return png;
  };
  std::vector<win::DragForm> forms;
  forms.push_back({CF_DIB, [&] { return PackedDibMemory(capture_); }});
  forms.push_back({CF_DIBV5, [&] { return PackedDibV5Memory(capture_); }});
  forms.push_back(
      {static_cast<CLIPFORMAT>(PngClipboardFormat()), [&] { return PngMemory(encoded()); }});
  forms.push_back({CF_HDROP, [&] {
                     if (file.empty()) {
                       file = temporaryImages_.Write(
                           folders_.TempDir, kTemporaryPngType,
                           [&](const std::wstring& path) { return WritePngFile(encoded(), path); });
                     }
                     return file.empty() ? win::UniqueGlobal{} : win::FileDropMemory(file);
                   }});
  ORV_TRACE_LOCATION();
  win::DragOut(std::move(forms));  // whether a target took it changes nothing here
}

}  // namespace orv
