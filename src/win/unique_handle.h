// Move-only owners for Win32 handles: every handle the program acquires is released by one of
// these, on every path. Traits say what "no handle" is and how a handle is released.
#pragma once

#include <windows.h>

#include <utility>

namespace orv::win {

template <class Traits>
class UniqueHandle {
 public:
  using Type = typename Traits::Type;

  UniqueHandle() = default;
  explicit UniqueHandle(Type handle) : handle_(handle) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    reset(other.release());
    return *this;
  }
  ~UniqueHandle() { reset(); }

  Type get() const { return handle_; }
  explicit operator bool() const { return handle_ != Traits::Invalid(); }

  Type release() { return std::exchange(handle_, Traits::Invalid()); }
  void reset(Type handle = Traits::Invalid()) {
    if (handle_ != Traits::Invalid()) Traits::Close(handle_);
    handle_ = handle;
  }

 private:
  Type handle_ = Traits::Invalid();
};

// Most handles are null when absent and released by one call.
template <class T, auto CloseFunction>
struct NullableHandleTraits {
  using Type = T;
  static Type Invalid() { return nullptr; }
  static void Close(Type h) { CloseFunction(h); }
};
// CreateFileW reports failure as INVALID_HANDLE_VALUE rather than null.
struct FileHandleTraits {
  using Type = HANDLE;
  static Type Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Type h) { CloseHandle(h); }
};

// A file search from FindFirstFileW: INVALID_HANDLE_VALUE when there is none, ended by FindClose.
struct FindHandleTraits {
  using Type = HANDLE;
  static Type Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Type h) { FindClose(h); }
};

using UniqueKernelHandle = UniqueHandle<NullableHandleTraits<HANDLE, CloseHandle>>;
using UniqueFile = UniqueHandle<FileHandleTraits>;
using UniqueFileSearch = UniqueHandle<FindHandleTraits>;
using UniqueBitmap = UniqueHandle<NullableHandleTraits<HBITMAP, DeleteObject>>;
using UniqueFont = UniqueHandle<NullableHandleTraits<HFONT, DeleteObject>>;
using UniqueBrush = UniqueHandle<NullableHandleTraits<HBRUSH, DeleteObject>>;
using UniquePen = UniqueHandle<NullableHandleTraits<HPEN, DeleteObject>>;
// From CreateDCW or CreateCompatibleDC; a DC from GetDC is a WindowDc below.
using UniqueCreatedDc = UniqueHandle<NullableHandleTraits<HDC, DeleteDC>>;
using UniqueIcon = UniqueHandle<NullableHandleTraits<HICON, DestroyIcon>>;
using UniqueMenu = UniqueHandle<NullableHandleTraits<HMENU, DestroyMenu>>;
using UniqueHook = UniqueHandle<NullableHandleTraits<HHOOK, UnhookWindowsHookEx>>;
using UniqueModule = UniqueHandle<NullableHandleTraits<HMODULE, FreeLibrary>>;
using UniqueWindow = UniqueHandle<NullableHandleTraits<HWND, DestroyWindow>>;
using UniqueRegistryKey = UniqueHandle<NullableHandleTraits<HKEY, RegCloseKey>>;
using UniqueGlobal = UniqueHandle<NullableHandleTraits<HGLOBAL, GlobalFree>>;

// A device context from GetDC/GetWindowDC, given back with ReleaseDC on the same window.
class WindowDc {
 public:
  explicit WindowDc(HWND window, bool wholeWindow = false)
      : window_(window), dc_(wholeWindow ? GetWindowDC(window) : GetDC(window)) {}
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  ~WindowDc() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  HWND window_;
  HDC dc_;
};

// Selects an object into a device context and selects the previous one back at scope end.
class SelectObjectGuard {
 public:
  SelectObjectGuard(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  SelectObjectGuard(const SelectObjectGuard&) = delete;
  SelectObjectGuard& operator=(const SelectObjectGuard&) = delete;
  ~SelectObjectGuard() {
    if (previous_ && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
  }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

}  // namespace orv::win
