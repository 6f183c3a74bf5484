// The about window (window 5): the program's name, version and rights notice, and the maker's
// address as a link. Its button and its link only queue control events; the event loop decides
// what they do.
#pragma once

#include <windows.h>

#include "window_kit/button_window_win.h"

namespace orv {

class AboutWindow final : public ButtonWindow {
 public:
  explicit AboutWindow(const WindowHost& host);
  AboutWindow(const AboutWindow&) = delete;
  AboutWindow& operator=(const AboutWindow&) = delete;
  ~AboutWindow() { Close(); }

  // Opens the window centred on the screen, in front; an open one is replaced.
  void Open();
  // Closes it when it is open.
  void Close();

 private:
  void ControlMade(const ControlSpec& control, HWND handle) override;
  std::optional<LRESULT> AnswerOwn(UINT message, WPARAM wParam, LPARAM lParam) override;
  static LRESULT CALLBACK LinkProc(HWND link, UINT message, WPARAM wParam, LPARAM lParam,
                                   UINT_PTR id, DWORD_PTR self);
  LRESULT AnswerLink(HWND link, UINT message, WPARAM wParam, LPARAM lParam);
  void FollowPointer(HWND link, bool rearm);
  void SetLinkHot(HWND link, bool hot);

  bool linkHot_ = false;  // the pointer is over the link
};

// Hands the address the about window shows to the shell.
void OpenAboutLink();

}  // namespace orv
