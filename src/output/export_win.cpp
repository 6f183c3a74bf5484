#include "output/export_win.h"

#include <windows.h>

#include <commdlg.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>

#include "base/fault_location.h"
#include "base/text_keys.h"
#include "base/text_table.h"
#include "imaging/reduce_to_palette.h"
#include "output/gdiplus_win.h"
#include "output/save_name.h"
#include "win/system.h"

namespace orv {
namespace {

constexpr DWORD kRequesterFlags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY |
                                  OFN_NOCHANGEDIR;  // no overwrite prompt: a file is replaced
constexpr std::size_t kRequesterNameLength = 260;
constexpr UINT kMessageType = MB_OK | MB_SYSTEMMODAL;

bool IsExistingFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Whether the save requester can start in the folder: one that exists, with a path that fits
// the requester's name buffer, where it is handed over. A longer one (a deep folder, or a
// hand-edited preferences file) cannot be shown there, and Wine's requester even faults when
// given one as its initial folder.
bool CanStartRequesterIn(const std::wstring& folder) {
  return !folder.empty() && folder.size() < kRequesterNameLength && IsExistingFolder(folder);
}

// The name the user chose, or nothing when the requester was cancelled. formatIndex goes in as
// the pre-selected pattern entry and comes back as the one the user left selected.
std::optional<std::wstring> AskForFileName(const std::wstring& imagePath, int& formatIndex) {
  const std::wstring title =
      Text(TextKey::ProgramName) + L" - " + Text(TextKey::SaveRequesterTitle);
  const std::wstring filter = ToRequesterFilter(kSavePatterns);
  // The requester splits the default name at its last backslash: the folder becomes the initial
  // folder and the name box stays empty, as ImagePath ends with a separator. A path too long
  // for the buffer (only a pictures folder could be) is left out: the requester then starts
  // where it likes.
  std::array<wchar_t, kRequesterNameLength> name{};
  if (imagePath.size() < name.size()) std::copy(imagePath.begin(), imagePath.end(), name.begin());

  OPENFILENAMEW request{};
  request.lStructSize = sizeof(request);
  request.hwndOwner = win::MessageBoxOwner();
  request.lpstrFilter = filter.c_str();
  request.nFilterIndex = static_cast<DWORD>(formatIndex + 1);
  request.lpstrFile = name.data();
  request.nMaxFile = static_cast<DWORD>(name.size());
  request.lpstrTitle = title.c_str();
  request.Flags = kRequesterFlags;
  ORV_TRACE_LOCATION();
  if (!GetSaveFileNameW(&request) || name[0] == L'\0') return std::nullopt;
  formatIndex = static_cast<int>(request.nFilterIndex) - 1;
  return std::wstring(name.data());
}

// The 8-bit copy a GIF file is written from, with the picture's adaptive palette as its colour
// table; empty when it cannot be made.
win::DibImage ReducedCopy(const win::DibImage& image) {
  win::DibImage reduced = win::DibImage::Create(image.width(), image.height(), 8);
  if (!reduced) return {};
  std::array<std::uint32_t, 256> palette{};
  MutableImageView target = reduced.View();
  target.colors = palette.data();
  if (!ReduceToPalette(image.View(), target)) return {};
  reduced.SetColors(palette);  // the image's table, which GDI+ is given with the pixels
  return reduced;
}

SaveOutcome FromGdiPlus(GdiPlusResult result) {
  switch (result) {
    case GdiPlusResult::Saved:
      return SaveOutcome::Saved;
    case GdiPlusResult::Unavailable:
      return SaveOutcome::NoGraphicsLibrary;
    case GdiPlusResult::Failed:
      break;
  }
  return SaveOutcome::Failed;
}

}  // namespace

SaveOutcome WriteImageFile(const win::DibImage& image, const std::wstring& file,
                           ExportFormat format) {
  switch (format) {
    case ExportFormat::Jpg:
    case ExportFormat::Png:
    case ExportFormat::Bmp:
      return WriteWithOwnEncoder(image.View(), file, format, EncoderSetting(format))
                 ? SaveOutcome::Saved
                 : SaveOutcome::Failed;
    case ExportFormat::Gif: {
      // The capture stays at 24 bits; only the file gets the 256 colours.
      const win::DibImage reduced = ReducedCopy(image);
      if (!reduced) return SaveOutcome::Failed;
      return FromGdiPlus(SaveWithGdiPlus(reduced.View(), file, GdiPlusFormat::Gif));
    }
    case ExportFormat::Tif:
      return FromGdiPlus(SaveWithGdiPlus(image.View(), file, GdiPlusFormat::Tiff));
  }
  return SaveOutcome::Failed;
}

bool WriteThroughTemporary(const std::wstring& file,
                           const std::function<bool(const std::wstring& target)>& write) {
  std::array<wchar_t, MAX_PATH> temporary{};
  const std::wstring folder = FolderPart(file);
  ORV_TRACE_LOCATION();
  if (folder.empty() || GetTempFileNameW(folder.c_str(), L"orv", 0, temporary.data()) == 0) {
    return write(file);
  }
  return win::ReplaceFileThroughTemporary(file, temporary.data(), write);
}

void SaveCaptureToFile(const win::DibImage& capture, Settings& settings,
                       const std::wstring& picturesDir) {
  if (!capture) return;  // nothing to save; only a capture opens the preview

  if (!CanStartRequesterIn(settings.ImagePath)) settings.ImagePath = picturesDir;
  int formatIndex = FormatIndexOf(settings.ImageType);
  settings.ImageType = ImageTypeOf(formatIndex);  // an unknown type ("JPG" too) becomes "jpg"

  const std::optional<std::wstring> chosen = AskForFileName(settings.ImagePath, formatIndex);
  if (!chosen) return;  // cancelled: nothing to say
  settings.ImageType = ImageTypeOf(formatIndex);
  formatIndex = FormatIndexOf(settings.ImageType);
  const std::wstring file = WithImageExtension(*chosen, settings.ImageType);
  settings.ImagePath = FolderPart(file);

  SaveOutcome outcome = SaveOutcome::Failed;
  const bool saved = WriteThroughTemporary(file, [&](const std::wstring& target) {
    outcome = WriteImageFile(capture, target, static_cast<ExportFormat>(formatIndex));
    return outcome == SaveOutcome::Saved;
  });
  if (outcome == SaveOutcome::NoGraphicsLibrary) {
    win::ShowMessageBox(Text(TextKey::NoGraphicsLibrary), Text(TextKey::SaveCaption), kMessageType);
  }
  if (!saved)
    win::ShowMessageBox(Text(TextKey::SaveFailed), Text(TextKey::SaveCaption), kMessageType);
}

}  // namespace orv
