// The base of the program's windows: it owns the window, registers its class when the first
// window of the class is made, and hands every message of the window to one member of the object.
// The object is stored with the window at WM_NCCREATE, the first message that carries it, and
// let go at WM_NCDESTROY, the last.
#pragma once

#include <windows.h>

#include <string>

#include "win/unique_handle.h"
#include "win/window_class.h"

namespace orv::win {

class WindowBase {
 public:
  WindowBase(const WindowBase&) = delete;
  WindowBase& operator=(const WindowBase&) = delete;

  // The window, from WM_NCCREATE on while it exists; null otherwise.
  HWND Handle() const { return window_.get(); }
  bool IsOpen() const { return static_cast<bool>(window_); }

 protected:
  WindowBase() = default;
  // Destroys a window still open; its last messages go to the system's default procedure, as the
  // object that answered them is going.
  ~WindowBase();

  // Makes a top-level window (registering its class the first time) whose outer rectangle is
  // frame. False when the system refuses it.
  bool Create(const WindowClass& windowClass, DWORD exStyle, const std::wstring& title, DWORD style,
              const RECT& frame);
  void Destroy() { window_.reset(); }

  // Answers one message of the window; the default procedure of the system for any the window
  // leaves alone.
  virtual LRESULT Answer(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  UniqueWindow window_;
};

}  // namespace orv::win
