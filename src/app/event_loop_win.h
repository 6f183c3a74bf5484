// The one event loop: it takes one event at a time from the program's queue, sets the pointer
// shape over the selection overlay, and runs the event's steps from the dispatch table to their
// end (modal dialogs included) before it takes the next.
#pragma once

#include "app/application_win.h"
#include "capture/selection_overlay_win.h"
#include "review/capture_review_win.h"

namespace orv {

// What the steps work on: the shell's three owners.
struct Owners {
  Application& app;
  SelectionOverlay& overlay;
  CaptureReview& review;
};

// Runs until the quit command, or until the thread's message queue is told to quit.
void RunEventLoop(const Owners& owners);

}  // namespace orv
