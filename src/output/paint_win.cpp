#include "output/paint_win.h"

#include <windows.h>

#include <shlobj.h>

#include <string>

#include "base/fault_location.h"
#include "output/bmp_writer.h"
#include "output/temp_image_name.h"
#include "win/shell.h"
#include "win/system.h"

namespace orv {
namespace {

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

}  // namespace

PaintProgram::PaintProgram(TemporaryImages& files) : files_(files) {}

void PaintProgram::OpenInPaint(win::DibImage capture, const std::wstring& tempDir) {
  if (!capture) return;
  const std::wstring bitmap = files_.Write(
      tempDir, kTemporaryBitmapType,
      [&capture](const std::wstring& path) { return WriteBmpFile(capture.View(), path); });
  capture = {};  // not needed while the paint program starts
  if (bitmap.empty()) return;
  // Paint can be uninstalled, and its alias switched off; the user's own editor then serves.
  const std::wstring program = PaintProgramPath();
  if ((program.empty() || !StartPaintProgram(program, bitmap, tempDir)) &&
      !win::EditWithShell(bitmap)) {
    files_.Discard(bitmap);
  }
}

}  // namespace orv
