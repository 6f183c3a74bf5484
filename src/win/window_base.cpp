#include "win/window_base.h"

namespace orv::win {

WindowBase::~WindowBase() {
  if (window_) SetWindowLongPtrW(window_.get(), GWLP_USERDATA, 0);
  Destroy();
}

bool WindowBase::Create(const WindowClass& windowClass, DWORD exStyle, const std::wstring& title,
                        DWORD style, const RECT& frame) {
  Destroy();  // one window per object
  RegisterWindowClass(windowClass, Procedure);
  const HWND made = CreateWindowExW(exStyle, windowClass.name, title.c_str(), style, frame.left,
                                    frame.top, frame.right - frame.left, frame.bottom - frame.top,
                                    nullptr, nullptr, GetModuleHandleW(nullptr), this);
  // The window took its place at WM_NCCREATE; when creation then failed, the system destroyed it
  // again and WM_NCDESTROY let it go.
  if (!made) window_.release();
  return made != nullptr;
}

LRESULT WindowBase::Answer(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(Handle(), message, wParam, lParam);
}

LRESULT CALLBACK WindowBase::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<WindowBase*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->window_.reset(window);
  }
  auto* self = reinterpret_cast<WindowBase*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self) return DefWindowProcW(window, message, wParam, lParam);
  const LRESULT result = self->Answer(message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    // The window is gone: nothing of it is left to destroy, and no message reaches the object.
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    self->window_.release();
  }
  return result;
}

}  // namespace orv::win
