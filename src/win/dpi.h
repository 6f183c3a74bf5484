// Resolutions of monitors and windows as this process sees them, so that the program's windows
// are laid out at the scale of the monitor they are on and follow it to a monitor of another
// scale. The calls that tell are looked up at run time (win/system_functions.h); older systems get
// the fallback scale.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>

#include "base/geometry.h"

namespace orv::win {

// The scale of the primary monitor, where the program's windows open: its resolution / 96 as
// the system reports it to this process (Windows 8.1 and later), else fallback.
float PrimaryMonitorScale(float fallback);

// The size of a small icon (the notification area's) at the primary monitor's resolution now,
// which may differ from the one the process started with; the system's size where it cannot say.
int PrimarySmallIconSize();

// How far the pointer may move from where its button went down before a drag begins, across and
// along, at a window's resolution (Windows 10 1607 and later), else at the system's.
Size DragSize(HWND window);

// The scale of a window: its resolution / 96 (Windows 10 1607 and later), else fallback.
float WindowScale(HWND window, float fallback);

// The scale a window that has just been made at `expected` (centred on the primary monitor's
// work area) is really at. When the system puts it at another, the window is given the size of
// baseClient (in 1/96 inch) at that scale, centred as before. Returns the scale to lay it out at.
float SettleWindowScale(HWND window, Size baseClient, float expected);

// The outer size of a window with this client size, style and extended style, its frame drawn at
// the given scale where the system can say (Windows 10 1607 and later), else at the system's.
Size FrameSize(Size client, DWORD style, DWORD exStyle, float scale);

// Answers the messages a window gets when it moves to a monitor of another scale: asked for its
// size at the new scale, it gives the frame around baseClient (in 1/96 inch) at that scale, so
// that the rectangle the system then suggests fits it exactly; told of the new scale, it takes
// the suggested rectangle and calls layOut with the new scale. Nothing for other messages.
std::optional<LRESULT> AnswerScaleChange(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                         Size baseClient, const std::function<void(float)>& layOut);

}  // namespace orv::win
