// Single-threaded COM on the calling thread for the length of a scope. The shell may hand
// ShellExecuteW and ShellExecuteExW over to extensions that are COM objects, and asks callers to
// initialise COM first; OLE drag and drop asks for OLE.
#pragma once

#include <objbase.h>
#include <ole2.h>
#include <windows.h>

namespace orv::win {

class ScopedComApartment {
 public:
  ScopedComApartment()
      : initialized_(
            SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {
  }
  ScopedComApartment(const ScopedComApartment&) = delete;
  ScopedComApartment& operator=(const ScopedComApartment&) = delete;
  // S_FALSE (already initialised here) also counts: every successful call needs its uninit.
  ~ScopedComApartment() {
    if (initialized_) CoUninitialize();
  }

 private:
  bool initialized_;
};

// OLE (single-threaded COM with drag and drop) on the calling thread for the length of a scope,
// as DoDragDrop requires. The program holds it on its user-interface thread from start to end:
// a printer driver or shell extension that later asks for the multi-threaded apartment there is
// then refused, instead of leaving the thread where OLE can no longer be initialised. False when
// OLE cannot be initialised here.
class ScopedOle {
 public:
  ScopedOle() : initialized_(SUCCEEDED(OleInitialize(nullptr))) {}
  ScopedOle(const ScopedOle&) = delete;
  ScopedOle& operator=(const ScopedOle&) = delete;
  ~ScopedOle() {
    if (initialized_) OleUninitialize();
  }
  explicit operator bool() const { return initialized_; }

 private:
  bool initialized_;
};

}  // namespace orv::win
