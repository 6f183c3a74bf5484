// The base of the program's windows of buttons, the preview and the about window. It opens the
// window centred on the primary monitor at that monitor's scale and makes its controls from the
// window's table; it lays them out again when the window moves to a monitor of another scale; and
// it answers alike for both: a button's click queues a control event of the window, a close
// request is refused (such a window closes only through its buttons), and as in a dialog box the
// window keeps its focused control while another window is active and gives it the focus back,
// Tab and Shift+Tab move the focus, Space presses the focused control and Enter the focused push
// button, never another (there is no default button).
#pragma once

#include <windows.h>

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/geometry.h"
#include "base/object_ids.h"
#include "events/event_queue.h"
#include "win/window_base.h"
#include "window_kit/control_layout.h"
#include "window_kit/dialog_keys_win.h"
#include "window_kit/resources_win.h"
#include "window_kit/scaled_resources_win.h"

namespace orv {

// What the program's windows of buttons share: where their events go, the keyboard of dialog
// windows, and the program's fonts, icons and cursors.
struct WindowHost {
  EventQueue& events;
  DialogKeys& dialogKeys;
  const Resources& resources;
};

// What tells one window of buttons from another.
struct ButtonWindowKind {
  WindowId id;
  const wchar_t* className;
  DWORD style;
  DWORD exStyle;
  Size client;                            // in 1/96 inch
  std::span<const ControlSpec> controls;  // in creation order
};

class ButtonWindow : public win::WindowBase {
 protected:
  ButtonWindow(const WindowHost& host, const ButtonWindowKind& kind) : host_(host), kind_(kind) {}
  ~ButtonWindow() = default;

  // Destroys the window and its controls; nothing when it is not open. A window's own Close
  // calls it first.
  void Close();

  // Makes the window (an open one is closed first) at the primary monitor's scale, or at the
  // scale the system then puts it at, with its resources; the window then takes dialog keys and
  // the bound keys. Shows nothing yet. False when it cannot be made.
  bool OpenWindow(const std::wstring& title, std::vector<KeyBinding> bindings);
  // Makes the controls of the table, in its order, at the window's scale.
  void MakeControls();

  const WindowHost& Host() const { return host_; }
  ScaledResources& Scaled() { return scaled_; }
  HWND Control(ControlId id) const { return GetDlgItem(Handle(), static_cast<int>(id)); }
  // The control that has, or gets back, the focus whenever the window is activated; none (the
  // window itself) until it is set or the user moves the focus.
  void SetFocusedControl(HWND control) { focusedControl_ = control; }

  // A control was made from its row; for what a window does beyond the table.
  virtual void ControlMade(const ControlSpec&, HWND) {}
  // The controls were laid out again at another scale, with its fonts and button pictures.
  virtual void LaidOutAgain() {}
  // A message the base leaves alone; nothing: the system's default.
  virtual std::optional<LRESULT> AnswerOwn(UINT, WPARAM, LPARAM) { return std::nullopt; }

 private:
  LRESULT Answer(UINT message, WPARAM wParam, LPARAM lParam) final;
  std::optional<LRESULT> AnswerButtons(UINT message, WPARAM wParam, LPARAM lParam);
  std::optional<LRESULT> AnswerActivation(WPARAM wParam);
  void LayOutAtScale(float scale);
  HFONT FontFor(const ControlSpec& control);

  WindowHost host_;
  ButtonWindowKind kind_;
  ScaledResources scaled_;  // fonts and button pictures at the scale of the window's monitor
  bool controlsMade_ = false;
  HWND focusedControl_ = nullptr;
};

}  // namespace orv
