// The one event loop: window procedures only queue events; the loop takes one at a time and runs
// its steps to the end (modal dialogs included) before it reads the next.
#pragma once

#include <windows.h>

#include "app/dispatch.h"

namespace orv {

// Appends an event to the program's queue. Called by window procedures and the keyboard hook's
// posted commands; never runs an action itself.
void QueueEvent(const Event& event);

// The program's numbered windows, registered by their owners while they exist.
void RegisterWindow(WindowId id, HWND window);
void UnregisterWindow(WindowId id);
HWND WindowHandle(WindowId id);

// While the window is open, the Escape key in it (or in its controls) queues the command.
void BindEscapeKey(WindowId window, CommandId command);

// Creates the hidden main window (window 1); false when it cannot be created.
bool CreateMainWindow();

// Runs until the quit command.
void RunEventLoop();

// Destroys every window, menu, tray icon and image the program still holds (shutdown).
void DestroyProgramWindows();

}  // namespace orv
