// What the system tells of a picked window's place on the screen: its outer rectangle, the
// bounds the compositor draws, whether it is maximised and on which monitor. The rule that makes
// one rectangle of it is PickedWindowBounds in capture/selection.h.
#pragma once

#include <windows.h>

#include "base/geometry.h"
#include "capture/screen_grab_win.h"
#include "capture/selection.h"

namespace orv {

// The facts about window, whose outer rectangle (kept from before when the window is gone) and
// invisible border are already known; screen is where the frozen screen lies on the desktop.
PickedWindow DescribePickedWindow(HWND window, const Edges& windowRect, int border,
                                  const ScreenBounds& screen);

}  // namespace orv
