// Window classes and painting shared by the program's windows.
#pragma once

#include <windows.h>

namespace orv::win {

struct WindowClass {
  const wchar_t* name;
  WNDPROC procedure;
  HICON icon = nullptr;
  HCURSOR cursor = nullptr;  // none: the pointer shape set by the program stays in force
  HBRUSH background = nullptr;
};

// Registers a window class of the program's module. Registering a name again does nothing (the
// system refuses the duplicate), so windows may call this every time they are opened.
void RegisterWindowClass(const WindowClass& windowClass);

// Answers WM_PAINT by copying the part of the window that needs painting from a picture of the
// window's size (a window with no picture yet is only validated).
void PaintFromBitmap(HWND window, HBITMAP picture);

}  // namespace orv::win
