#include "output/paint_win.h"

#include <windows.h>

#include "base/fault_location.h"
#include "output/bmp_writer.h"
#include "output/temp_image_name.h"
#include "runtime/app_state_win.h"
#include "runtime/images_win.h"
#include "win/system.h"

namespace orv {
namespace {

// How long the paint program has to open the file before it is deleted.
constexpr DWORD kPaintReadTime = 2000;

LocalDateTime LocalNow() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

void StartPaintProgram(const std::wstring& bitmapPath, const std::wstring& workingFolder) {
  // The path is quoted: a temporary folder under a user name with blanks would otherwise reach
  // the paint program as several arguments. No application name: the system looks for the
  // program the usual way, starting with our own folder. A paint program that cannot be
  // started is not reported.
  ORV_TRACE_LOCATION();
  win::StartProgram({}, L"\"mspaint.exe\" \"" + bitmapPath + L"\"", workingFolder);
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

  StartPaintProgram(bitmapPath, tempDir);
  win::Pause(kPaintReadTime);
  ORV_TRACE_LOCATION();
  SetFileAttributesW(bitmapPath.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileW(bitmapPath.c_str());  // a file left behind is not worth a message
}

}  // namespace orv
