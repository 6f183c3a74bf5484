// The selection overlay: the frozen screen shown dimmed in a borderless topmost window over all
// monitors, on which a region is dragged or a window picked. It holds the grab (the screen as it
// was when the overlay opened), its picture (what it shows, drawn in place), the mode it was
// opened for, the drag, the pick, and the selection logic that drives them. Its window procedure
// takes the pointer itself (moves, the left button, its shape) and queues one event when the
// selection is done; the event loop then has it cut the selection out.
#pragma once

#include <windows.h>

#include <optional>

#include "base/geometry.h"
#include "base/object_ids.h"
#include "capture/screen_grab_win.h"
#include "capture/selection.h"
#include "events/event_queue.h"
#include "win/dib_image.h"
#include "win/window_base.h"
#include "window_kit/resources_win.h"

namespace orv {

class SelectionOverlay final : private win::WindowBase {
 public:
  SelectionOverlay(EventQueue& events, const Resources& resources)
      : events_(events), resources_(resources) {}
  ~SelectionOverlay() { Close(); }

  // Grabs the screen and shows it dimmed in a new overlay (replacing an open one), for dragging a
  // region or picking a window as mode says. A window pick starts with no window highlighted.
  void Open(CaptureMode mode);
  // Destroys the overlay and lets the grab go; nothing happens when none is open.
  void Close();
  bool IsOpen() const { return WindowBase::IsOpen(); }
  // Closes the overlay and returns what its selection cut out of the frozen screen: the
  // rectangle of the SelectionEvent it queued, or nothing (empty) when that has none.
  win::DibImage EndSelection(const std::optional<Rect>& cutOut);

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

  // The pointer, where it is in the overlay (its coordinates are grab pixels). A region runs
  // from where the button went down to where it came up; a window pick looks where the pointer
  // is when it picks. A region release without a press in this overlay (the button was down
  // before it opened) is ignored; a window release ends the pick, with a window highlighted or
  // not.
  void PointerMove(Point at);
  void LeftPress(Point at);
  void LeftRelease(Point at);
  void QueueSelection(const std::optional<Rect>& cutOut);

  // Drawing on the picture.
  void DrawDimmedBackground();
  int SizeLabelTextHeight();
  Rect DrawSizeLabel(Point at, Size size);
  void ShowChanges(const Rect& changed);
  Point InOverlay(Point at) const;
  void DrawBand(Point at);

  // Picking a window.
  void ResetWindowPick();
  void HighlightPickedWindow();
  void PickWindowAt(POINT pointer);
  Point ScreenOrigin() const { return {screen_.left, screen_.top}; }

  EventQueue& events_;
  const Resources& resources_;
  CaptureMode mode_ = CaptureMode::ModeRegion;
  ScreenBounds screen_;     // where the frozen screen lies on the desktop
  win::DibImage grab_;      // the frozen screen, 24-bit
  win::DibImage picture_;   // what the canvas shows, 32-bit; drawn in place, painted from here
  HWND canvas_ = nullptr;   // a child of the overlay, destroyed with it
  RegionSelection region_;  // a new overlay starts without a drag
  WindowPick pick_;         // started afresh by every overlay for a window pick
  bool selected_ = false;   // the selection is queued: the pointer no longer counts
};

}  // namespace orv
