// The event loop's dispatch table: which steps run, in which order, for each event. Pure data so
// that the routing is tested without Windows; the Win32 loop only executes the steps.
#pragma once

#include <span>

#include "base/object_ids.h"
#include "runtime/event.h"

namespace orv {

// One operation of the program, named as the function it runs; the event loop runs each in a case
// of its own (src/app/event_loop_win.cpp), which the compiler holds to this list.
enum class Step {
  SetAutostartCheckFromSetting,  // tray menu item 10 shows LoadOnWindowsStart
  ShowTrayMenu,
  SetModeRegion,
  SetModeScreen,
  SetModeWindow,
  PauseBeforeCapture,
  ResetWindowPick,
  OpenSelectionOverlay,
  CaptureFullScreen,
  OpenPreviewWindow,
  ClosePreviewWindow,
  FreeCapture,
  FreePrintImage,
  FreeBackupImage,
  ToggleAutostartCheck,  // flips item 10 and LoadOnWindowsStart
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
  ToggleFitToPaper,  // FitPaperOrientation and the toggle's tooltip follow the button
  SavePreferences,
  OpenPrintersFolder,
  CopyBackupToCapture,
  RefreshPreview,
  RotateCapture,
  MakeNegative,
  MakeGrey,
  OpenInPaint,
  SaveCaptureToFile,
  CloseAboutWindow,
  OpenAboutLink,
  OverlayPointerMove,
  OverlayLeftPress,
  OverlayLeftRelease,
  PressOnPicture,  // the preview's picture, which a move far enough then drags out
  DragPictureOut,
  ReleaseOnPicture,
};

// The steps for an event, in order; empty for an event that matches no row (it is ignored).
// Three kinds of step can end their row early: setting a capture mode, while a selection is on
// screen (the request is ignored); the overlay's left release, when it captured nothing; and the
// whole-screen capture, when no picture of the screen could be made (no preview opens).
std::span<const Step> Route(const Event& event);

enum class PointerShape { Unchanged, Cross, Hand };

// Over the selection overlay the pointer is a cross when selecting a region and a hand when
// picking a window; it is set before every overlay event is dispatched.
PointerShape PointerFor(const Event& event, CaptureMode mode);

}  // namespace orv
