#include "output/paint_win.h"

#include <windows.h>

#include <shlobj.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/fault_location.h"
#include "output/bmp_writer.h"
#include "output/temp_image_name.h"
#include "win/shell.h"
#include "win/system.h"
#include "win/unique_handle.h"

namespace orv {
namespace {

// What tells a file as this program left it from one the user changed.
struct FileState {
  std::uint64_t size = 0;
  FILETIME lastWrite{};

  bool operator==(const FileState& other) const {
    return size == other.size && CompareFileTime(&lastWrite, &other.lastWrite) == 0;
  }
};

LocalDateTime LocalNow() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

std::optional<FileState> StateOf(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return std::nullopt;
  }
  return FileState{(std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow,
                   data.ftLastWriteTime};
}

// The last-write time a bitmap gets once written: the local time its name holds, to the second.
// Saving a change into it gives it the time of that change, so a bitmap that still has this time
// is as the program left it, also for a later run that has only its name. Nothing for a name
// without a time.
std::optional<FILETIME> StampOf(const std::wstring& fileName) {
  const std::optional<LocalDateTime> time = TemporaryImageTime(fileName);
  if (!time) return std::nullopt;
  const SYSTEMTIME local{static_cast<WORD>(time->year),
                         static_cast<WORD>(time->month),
                         0,
                         static_cast<WORD>(time->day),
                         static_cast<WORD>(time->hour),
                         static_cast<WORD>(time->minute),
                         static_cast<WORD>(time->second),
                         0};
  SYSTEMTIME universal{};
  FILETIME stamp{};
  if (!TzSpecificLocalTimeToSystemTime(nullptr, &local, &universal) ||
      !SystemTimeToFileTime(&universal, &stamp)) {
    return std::nullopt;
  }
  return stamp;
}

std::wstring FileNameOf(const std::wstring& path) {
  return path.substr(path.find_last_of(L'\\') + 1);
}

// Gives a bitmap just written its stamp; left as it is when that fails (it is then deleted at
// quit all the same, and kept by a later run).
void Stamp(const std::wstring& path) {
  const std::optional<FILETIME> stamp = StampOf(FileNameOf(path));
  if (!stamp) return;
  const win::UniqueFile file(CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file) SetFileTime(file.get(), nullptr, nullptr, &*stamp);
}

bool IsFile(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// The paint program by its full path, never by a bare name, which Windows would look for in this
// program's folder and the current folder first: the system's own (Windows 10), else the
// execution alias of Windows 11's Paint in the user's folder of such aliases. Empty when there
// is neither.
std::wstring PaintProgramPath() {
  const std::wstring system = win::SystemFolder();
  const std::wstring local = win::SpecialFolderPath(CSIDL_LOCAL_APPDATA);
  const std::wstring candidates[] = {
      system.empty() ? std::wstring() : system + L"mspaint.exe",
      local.empty() ? std::wstring() : local + L"Microsoft\\WindowsApps\\mspaint.exe",
  };
  for (const std::wstring& candidate : candidates) {
    if (!candidate.empty() && IsFile(candidate)) return candidate;
  }
  return {};
}

bool StartPaintProgram(const std::wstring& program, const std::wstring& bitmapPath,
                       const std::wstring& workingFolder) {
  // Both quoted: a temporary folder under a user name with blanks would otherwise reach the
  // paint program as several arguments. The program's full path leaves the system nothing to
  // search. A paint program that cannot be started is not reported.
  ORV_TRACE_LOCATION();
  return win::StartProgram({}, L"\"" + program + L"\" \"" + bitmapPath + L"\"", workingFolder);
}

void DeleteBitmap(const std::wstring& path) {
  ORV_TRACE_LOCATION();
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileW(path.c_str());  // a file left behind is not worth a message; the next start tries
}

}  // namespace

struct PaintProgram::Bitmap {
  std::wstring path;
  FileState written;
};

PaintProgram::PaintProgram() = default;
PaintProgram::~PaintProgram() = default;

void PaintProgram::OpenInPaint(win::DibImage capture, const std::wstring& tempDir) {
  const std::wstring program = PaintProgramPath();
  // Without a temporary folder there is no safe place for the bitmap (never the current one),
  // and without a paint program no use for it.
  const std::wstring bitmapPath =
      program.empty() || tempDir.empty() ? std::wstring() : TemporaryImagePath(tempDir, LocalNow());
  if (capture && !bitmapPath.empty()) {
    ORV_TRACE_LOCATION();
    WriteBmpFile(capture.View(), bitmapPath);  // unchecked: the paint program reports a bad file
    Stamp(bitmapPath);
  }
  capture = {};  // not needed while the paint program starts
  if (bitmapPath.empty()) return;

  const std::optional<FileState> written = StateOf(bitmapPath);
  if (!StartPaintProgram(program, bitmapPath, tempDir)) {
    DeleteBitmap(bitmapPath);  // nobody will open it
    return;
  }
  if (!written) return;
  // Remembered as written; two in the same second share a name, and one entry.
  const auto same = [&bitmapPath](const Bitmap& bitmap) { return bitmap.path == bitmapPath; };
  const auto known = std::find_if(bitmaps_.begin(), bitmaps_.end(), same);
  if (known != bitmaps_.end()) {
    known->written = *written;
  } else {
    bitmaps_.push_back({bitmapPath, *written});
  }
}

void PaintProgram::RemovePaintBitmaps() {
  for (const Bitmap& bitmap : bitmaps_) {
    if (StateOf(bitmap.path) == bitmap.written) DeleteBitmap(bitmap.path);
  }
  bitmaps_.clear();
}

void RemoveLeftoverPaintBitmaps(const std::wstring& tempDir) {
  if (tempDir.empty()) return;
  const std::wstring search = tempDir + std::wstring(kTemporaryImageSearch);
  WIN32_FIND_DATAW found{};
  ORV_TRACE_LOCATION();
  // The pattern matches short names too, and more than the program's own names: each name is
  // checked in full, with the time it holds, and the files go once the search is over.
  std::vector<std::wstring> leftovers;
  if (const win::UniqueFileSearch listing(FindFirstFileW(search.c_str(), &found)); listing) {
    do {
      const std::optional<FILETIME> stamp = StampOf(found.cFileName);
      if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && stamp &&
          CompareFileTime(&*stamp, &found.ftLastWriteTime) == 0) {
        leftovers.push_back(tempDir + found.cFileName);
      }
    } while (FindNextFileW(listing.get(), &found));
  }
  for (const std::wstring& path : leftovers) DeleteBitmap(path);
}

}  // namespace orv
