#include "win/window_class.h"

#include "win/unique_handle.h"

namespace orv::win {
namespace {

// Copies the part of the window that needs painting from a picture of the window's size.
void PaintFromBitmap(HWND window, HBITMAP picture) {
  PAINTSTRUCT paint;
  const HDC dc = BeginPaint(window, &paint);
  const UniqueCreatedDc source(CreateCompatibleDC(dc));
  if (source && picture) {
    const SelectObjectGuard select(source.get(), picture);
    const RECT& r = paint.rcPaint;
    BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, source.get(), r.left, r.top,
           SRCCOPY);
  }
  EndPaint(window, &paint);
}

LRESULT CALLBACK CanvasProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCHITTEST:
      return HTTRANSPARENT;
    case WM_ERASEBKGND:
      return 1;  // the picture covers the whole canvas
    case WM_PAINT:
      PaintFromBitmap(window, reinterpret_cast<HBITMAP>(GetWindowLongPtrW(window, GWLP_USERDATA)));
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

void RegisterWindowClass(const WindowClass& windowClass, WNDPROC procedure) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW description{};
  description.cbSize = sizeof(description);
  if (GetClassInfoExW(instance, windowClass.name, &description)) return;
  description = {};
  description.cbSize = sizeof(description);
  description.lpfnWndProc = procedure;
  description.hInstance = instance;
  description.hIcon = windowClass.icon;
  description.hCursor = windowClass.cursor;
  description.hbrBackground = windowClass.background;
  description.lpszClassName = windowClass.name;
  RegisterClassExW(&description);  // a class that cannot be registered makes no window
}

HWND CreateChildControl(HWND parent, const wchar_t* className, const std::wstring& text,
                        DWORD style, const Rect& bounds, int id, HFONT font) {
  const HWND control = CreateWindowExW(0, className, text.c_str(), WS_CHILD | WS_VISIBLE | style,
                                       bounds.x, bounds.y, bounds.width, bounds.height, parent,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                       GetModuleHandleW(nullptr), nullptr);
  if (control && font) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return control;
}

void RegisterCanvasClass() {
  RegisterWindowClass({kCanvasClass}, CanvasProc);
}

void SetCanvasPicture(HWND canvas, HBITMAP picture) {
  SetWindowLongPtrW(canvas, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(picture));
}

}  // namespace orv::win
