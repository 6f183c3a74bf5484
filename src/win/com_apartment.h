// Single-threaded COM on the calling thread for the length of a scope. The shell may hand
// ShellExecuteW and ShellExecuteExW over to extensions that are COM objects, and asks callers to
// initialise COM first.
#pragma once

#include <objbase.h>
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

}  // namespace orv::win
