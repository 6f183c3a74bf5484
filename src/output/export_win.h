// Saving the capture to an image file the user names in the save requester: JPEG, PNG and BMP
// through the program's own encoders, GIF and TIFF through GDI+.
#pragma once

#include <functional>
#include <string>

#include "output/export_formats.h"
#include "settings/settings.h"
#include "win/dib_image.h"

namespace orv {

// Asks for a file name (starting in the settings' `ImagePath`, else in the pictures folder, on
// the `ImageType` entry), writes the capture and remembers the folder and format in the
// settings. Cancel ends it silently; a failed write is reported.
void SaveCaptureToFile(const win::DibImage& capture, Settings& settings,
                       const std::wstring& picturesDir);

// The steps behind it, open for trying them on real files.

enum class SaveOutcome { Saved, Failed, NoGraphicsLibrary };

// Writes image as file in the format; GIF from an 8-bit copy with an adaptive palette.
SaveOutcome WriteImageFile(const win::DibImage& image, const std::wstring& file,
                           ExportFormat format);

// Calls write with a new temporary file in file's folder and, when it returns true, puts that
// file in place of file. Whatever fails, file keeps its old content and the temporary file is
// removed. Where no temporary file can be made in that folder, write gets file itself.
bool WriteThroughTemporary(const std::wstring& file,
                           const std::function<bool(const std::wstring& target)>& write);

}  // namespace orv
