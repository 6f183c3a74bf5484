// The event loop's dispatch table: which steps run, in which order, for each event. Pure data so
// that the routing is tested without Windows; the Win32 loop only executes the steps.
#pragma once

#include <span>

#include "base/object_ids.h"
#include "events/event.h"

namespace orv {

// One operation of the program, named as the function it runs; the event loop runs each in a case
// of its own (src/app/event_loop_win.cpp), which the compiler holds to this list.
enum class Step {
  SetAutostartCheckFromSetting,  // tray menu item 10 shows LoadOnWindowsStart
  ShowTrayMenu,
  EndIfSelecting,  // a capture request while a selection is on screen ends its row
  PauseBeforeCapture,
  SelectRegion,  // the selection overlay opens for dragging a region
  PickWindow,    // the selection overlay opens for picking a window
  CaptureFullScreen,
  EndSelection,  // the overlay closes; what it cut out goes under review
  ClosePreviewWindow,
  CloseReview,      // the preview window, the capture and its backup go
  ToggleAutostart,  // flips LoadOnWindowsStart, which the menu's check mark shows
  ApplyAutostart,
  OpenHelp,
  OpenDonate,
  OpenMoreTools,
  OpenAboutWindow,
  ShowInformation,  // information box, then the signature page
  Quit,
  CopyToClipboard,
  PrintWithDialog,
  PrintToDefault,
  ToggleFitToPaper,  // flips FitPaperOrientation, which the preview's toggle shows
  SavePreferences,
  OpenPrintersFolder,
  CopyBackupToCapture,
  RotateCapture,
  MakeNegative,
  MakeGrey,
  OpenInPaint,  // takes the capture and its backup
  SaveCaptureToFile,
  CloseAboutWindow,
  OpenAboutLink,
};

// The steps for an event, in order; empty for an event that matches no row (it is ignored).
// Three kinds of step can end their row early: a capture request while a selection is on screen
// (it is ignored), the end of a selection that cut out nothing, and a whole-screen capture when
// no picture of the screen could be made (no preview opens).
std::span<const Step> Route(const Event& event);

}  // namespace orv
