#include "win/window_class.h"

#include "win/unique_handle.h"

namespace orv::win {

void RegisterWindowClass(const WindowClass& windowClass) {
  WNDCLASSEXW description{};
  description.cbSize = sizeof(description);
  description.lpfnWndProc = windowClass.procedure;
  description.hInstance = GetModuleHandleW(nullptr);
  description.hIcon = windowClass.icon;
  description.hCursor = windowClass.cursor;
  description.hbrBackground = windowClass.background;
  description.lpszClassName = windowClass.name;
  RegisterClassExW(&description);  // fails harmlessly when the class exists already
}

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

}  // namespace orv::win
