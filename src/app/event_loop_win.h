// The one event loop: it takes one event at a time from the program's queue, sets the pointer
// shape over the selection overlay, and runs the event's steps from the dispatch table to their
// end (modal dialogs included) before it takes the next.
#pragma once

#include "app/main_window_win.h"

namespace orv {

// Runs until the quit command, or until the thread's message queue is told to quit.
void RunEventLoop(MainWindow& main);

}  // namespace orv
