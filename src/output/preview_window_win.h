// The preview window: the capture scaled down with its size, the icon buttons that change it,
// and the output buttons that send it on. It keeps a backup copy so that restore can undo the
// turns and filters.
#pragma once

namespace orv {

// Opens the preview window on the capture image (replacing an open one) and keeps a backup copy.
void OpenPreviewWindow();
void ClosePreviewWindow();
// Redraws the size label and the scaled picture from the current capture image.
void RefreshPreview();

// FitPaperOrientation follows the toggle button, whose icon and tooltip follow it too.
void FollowFitToPaperToggle();
// Starts the system's printer list without waiting for it.
void OpenPrintersFolder();
// The capture image becomes a copy of the backup taken when the window opened.
void CopyBackupToCapture();

}  // namespace orv
