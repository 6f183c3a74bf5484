// The selection overlay: the frozen screen shown dimmed in a borderless topmost window over all
// monitors, on which a region is dragged or a window picked. It holds the grab (the screen as it
// was when the overlay opened), its picture (what it shows, drawn in place), the drag, the pick,
// and the selection logic that drives them. Its window procedure only queues the pointer events;
// the event loop hands them back to it one at a time.
#pragma once

#include <windows.h>

#include "base/geometry.h"
#include "base/object_ids.h"
#include "capture/screen_grab_win.h"
#include "capture/selection.h"
#include "runtime/event_queue.h"
#include "runtime/resources_win.h"
#include "win/dib_image.h"
#include "win/window_base.h"

namespace orv {

class SelectionOverlay final : private win::WindowBase {
 public:
  SelectionOverlay(EventQueue& events, const Resources& resources)
      : events_(events), resources_(resources) {}
  ~SelectionOverlay() { Close(); }

  // Grabs the screen and shows it dimmed in a new overlay (replacing an open one), for dragging a
  // region or picking a window as mode says.
  void Open(CaptureMode mode);
  // Destroys the overlay and lets the grab go; nothing happens when none is open.
  void Close();
  bool IsOpen() const { return WindowBase::IsOpen(); }

  // The window command forgets the last highlighted window and its rectangles, and looks up the
  // desktop's icon view, which is never picked; before its overlay opens.
  void ResetWindowPick();

  // The overlay's pointer events, each with where the pointer was in the overlay when it
  // happened (a region runs from where the button went down to where it came up, however late
  // the events are handled; window picking looks where the pointer is when it picks); each does
  // nothing while no overlay is open.
  void PointerMove(Point at);
  void LeftPress(Point at);
  // The capture the release cut out of the frozen screen; empty when it made none. A region
  // release without a press in this overlay is ignored and leaves the overlay open; a window
  // release before any window was highlighted closes the overlay and captures nothing.
  win::DibImage LeftRelease(Point at);

 private:
  // A window picked on the overlay: the handles stay here, the geometry in WindowSelection.
  struct WindowPick {
    WindowSelection geometry;
    HWND current = nullptr;
    HWND previous = nullptr;
    Edges client;                    // client rectangle of the current window, kept when unreadable
    HWND desktopIconView = nullptr;  // the desktop's icons, never picked
  };

  LRESULT Answer(UINT message, WPARAM wParam, LPARAM lParam) override;

  // Drawing on the picture (selection_overlay_win.cpp).
  void DrawDimmedBackground();
  int SizeLabelTextHeight();
  Rect DrawSizeLabel(Point at, Size size);
  void ShowChanges(const Rect& changed);
  Point InOverlay(Point at) const;

  // The selection (selection_win.cpp).
  void DrawBand(Point at);
  void HighlightPickedWindow();
  void PickWindowAt(POINT pointer);
  win::DibImage EndSelection(const Rect& selection);
  Point ScreenOrigin() const { return {screen_.left, screen_.top}; }

  EventQueue& events_;
  const Resources& resources_;
  CaptureMode mode_ = CaptureMode::ModeRegion;
  ScreenBounds screen_;     // where the frozen screen lies on the desktop
  win::DibImage grab_;      // the frozen screen, 24-bit
  win::DibImage picture_;   // what the canvas shows, 32-bit; drawn in place, painted from here
  HWND canvas_ = nullptr;   // a child of the overlay, destroyed with it
  RegionSelection region_;  // a new overlay starts without a drag
  WindowPick pick_;         // started afresh by the window command, before its overlay opens
};

}  // namespace orv
