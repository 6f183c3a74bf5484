// The program's fonts, icons and cursors, made once at start-up for the system's scale, and the
// scale factors they are made for. Every window of the program draws with them, or with copies
// made from them for its own scale (window_kit/scaled_resources_win.h).
#pragma once

#include <windows.h>

#include <array>

#include "base/object_ids.h"
#include "win/unique_handle.h"

namespace orv {

struct Resources {
  // Makes the fonts, sized by the display resolution read before the process became DPI-aware
  // (fontLogPixelsY), the icons for dpiScale and the system's small-icon size, and looks up the
  // cursors.
  static Resources Make(float dpiScale, float fontScale, int fontLogPixelsY);

  // One of the program's icons; the button pictures at DpiScale, the program's own at the
  // small-icon size (the notification area's).
  HICON Icon(IconId id) const;

  float DpiScale = 1.0f;
  float FontScale = 1.0f;
  win::UniqueFont ControlFont;
  win::UniqueFont TitleFont;
  std::array<win::UniqueIcon, 8> Icons;                                        // IconId::App first
  HCURSOR ArrowCursor = nullptr, CrossCursor = nullptr, HandCursor = nullptr;  // system-owned
};

}  // namespace orv
