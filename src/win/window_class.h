// Window classes, controls and painting shared by the program's windows.
#pragma once

#include <windows.h>

#include <string>

#include "base/geometry.h"

namespace orv::win {

struct WindowClass {
  const wchar_t* name;
  HICON icon = nullptr;
  HCURSOR cursor = nullptr;  // none: the pointer shape set by the program stays in force
  HBRUSH background = nullptr;
};

// Registers a window class of the program's module with the procedure, unless a class of that
// name is registered already; so windows may call this every time they are made.
void RegisterWindowClass(const WindowClass& windowClass, WNDPROC procedure);

// A child control of parent: the given window class, text and style (WS_CHILD and WS_VISIBLE
// are added), pixel bounds in the parent's client area, control id and font (none: the class's
// own). Null when it cannot be made.
HWND CreateChildControl(HWND parent, const wchar_t* className, const std::wstring& text,
                        DWORD style, const Rect& bounds, int id, HFONT font);

// The class of the program's picture canvases: child windows that show a picture of their own
// size, are painted from it and never erased, and let the pointer through to their parent
// window (as a static control does), so that the parent gets the mouse messages. The class has
// no cursor: the pointer shape set by the program stays in force over a canvas.
inline constexpr wchar_t kCanvasClass[] = L"OrvantaCanvas";
void RegisterCanvasClass();
// The bitmap the canvas shows from now on; it must not be selected into a device context while
// the canvas paints. A canvas with no picture is only validated.
void SetCanvasPicture(HWND canvas, HBITMAP picture);

}  // namespace orv::win
