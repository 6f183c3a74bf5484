// Process-wide state of the application shell, set up at start-up and released at shutdown.
// Other parts read it; each field is written only by the part that owns it.
#pragma once

#include <windows.h>

#include <array>
#include <string>

#include "app/object_ids.h"
#include "settings/settings.h"
#include "win/unique_handle.h"

namespace orv {

struct AppState {
  win::UniqueKernelHandle InstanceMutex;
  float DpiScale = 1.0f;
  float FontScale = 1.0f;
  int fontLogPixelsY = 96;  // display resolution read before the process became DPI-aware
  HWND DesktopListView = nullptr;

  std::wstring AppDataDir, WindowsDir, PicturesDir, TempDir, ProgramDir;

  win::UniqueFont ControlFont;
  win::UniqueFont TitleFont;
  std::array<win::UniqueIcon, 8> icons;  // images 26..33, see Icon()
  HCURSOR arrowCursor = nullptr, crossCursor = nullptr, handCursor = nullptr;  // system-owned

  win::UniqueHook keyboardHook;
  Settings settings;
  CaptureMode captureMode = CaptureMode::ModeScreen;
};

AppState& App();

// One of the embedded icons 26..33.
HICON Icon(ImageId id);

// Releases everything the program created; used by shutdown and by the fatal-error report.
void ReleaseProgramObjects();

// Runs the program from start-up to shutdown; returns the exit code (always 0).
int RunProgram();

}  // namespace orv
