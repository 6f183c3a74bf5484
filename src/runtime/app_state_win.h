// Process-wide state of the program, set up at start-up and released at shutdown. Every part
// reads it; each field is written only by the part that owns it: the scale factors, folders,
// fonts, icons and cursors by start-up, the settings by the preferences and the commands that
// change them, the capture mode by the capture commands.
#pragma once

#include <windows.h>

#include <array>
#include <string>

#include "base/object_ids.h"
#include "runtime/event_queue_win.h"
#include "runtime/settings.h"
#include "win/unique_handle.h"

namespace orv {

struct AppState {
  float DpiScale = 1.0f;
  float FontScale = 1.0f;

  std::wstring AppDataDir, WindowsDir, PicturesDir, TempDir, ProgramDir;

  win::UniqueFont ControlFont;
  win::UniqueFont TitleFont;
  std::array<win::UniqueIcon, 8> Icons;  // images 26..33, see Icon()
  HCURSOR ArrowCursor = nullptr, CrossCursor = nullptr, HandCursor = nullptr;  // system-owned

  orv::Settings Settings;
  orv::CaptureMode CaptureMode = orv::CaptureMode::ModeScreen;
  EventQueue Events;
};

AppState& App();

// One of the embedded icons 26..33.
HICON Icon(ImageId id);

}  // namespace orv
