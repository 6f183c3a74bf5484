#include "output/paint_win.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/fault_location.h"
#include "output/bmp_writer.h"
#include "output/temp_image_name.h"
#include "runtime/app_state_win.h"
#include "runtime/images_win.h"
#include "win/system.h"
#include "win/unique_handle.h"

namespace orv {
namespace {

// The bitmaps handed to the paint program in this run. They stay until the program quits: no
// pause is long enough for every paint program (a store app's cold start can take seconds).
std::vector<std::wstring> paintBitmaps;

LocalDateTime LocalNow() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

bool StartPaintProgram(const std::wstring& bitmapPath, const std::wstring& workingFolder) {
  // The path is quoted: a temporary folder under a user name with blanks would otherwise reach
  // the paint program as several arguments. No application name: the system looks for the
  // program the usual way, starting with our own folder and ending with the search path, where
  // a store app's execution alias is found (it can be started, though not read as a file). A
  // paint program that cannot be started is not reported.
  ORV_TRACE_LOCATION();
  return win::StartProgram({}, L"\"mspaint.exe\" \"" + bitmapPath + L"\"", workingFolder);
}

void DeleteBitmap(const std::wstring& path) {
  ORV_TRACE_LOCATION();
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileW(path.c_str());  // a file left behind is not worth a message; the next start tries
}

}  // namespace

void OpenInPaint() {
  const std::wstring tempDir = App().TempDir;
  // Without a temporary folder there is no safe place for the bitmap (never the current one).
  const std::wstring bitmapPath =
      tempDir.empty() ? std::wstring() : TemporaryImagePath(tempDir, LocalNow());
  const win::DibImage* capture = Images::Get(ImageId::Capture);
  if (capture != nullptr && !bitmapPath.empty()) {
    ORV_TRACE_LOCATION();
    WriteBmpFile(capture->View(), bitmapPath);  // unchecked: the paint program reports a bad file
  }
  Images::Free(ImageId::Capture);
  Images::Free(ImageId::BackupImage);
  if (bitmapPath.empty()) return;

  if (!StartPaintProgram(bitmapPath, tempDir)) {
    DeleteBitmap(bitmapPath);  // nobody will open it
    return;
  }
  // Two in the same second share a name, and one removal.
  if (std::find(paintBitmaps.begin(), paintBitmaps.end(), bitmapPath) == paintBitmaps.end()) {
    paintBitmaps.push_back(bitmapPath);
  }
}

void RemovePaintBitmaps() {
  for (const std::wstring& path : paintBitmaps) DeleteBitmap(path);
  paintBitmaps.clear();
}

void RemoveLeftoverPaintBitmaps() {
  const std::wstring tempDir = App().TempDir;
  if (tempDir.empty()) return;
  const std::wstring search = tempDir + std::wstring(kTemporaryImageSearch);
  WIN32_FIND_DATAW found{};
  ORV_TRACE_LOCATION();
  // The pattern matches short names too, and more than the program's own names: each name is
  // checked in full, and the files go once the search is over.
  std::vector<std::wstring> leftovers;
  if (const win::UniqueFileSearch listing(FindFirstFileW(search.c_str(), &found)); listing) {
    do {
      if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
          IsTemporaryImageName(found.cFileName)) {
        leftovers.push_back(tempDir + found.cFileName);
      }
    } while (FindNextFileW(listing.get(), &found));
  }
  for (const std::wstring& path : leftovers) DeleteBitmap(path);
}

}  // namespace orv
