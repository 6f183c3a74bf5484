// The system functions the program looks up at run time, in one place: those that older systems
// lack, and those of libraries loaded only for one operation. Each set below is one library,
// loaded from the system folder when the set is made and released when it goes; a function the
// library lacks is null. The functions are typed by the SDK's own declarations.
#pragma once

#include <windows.h>

#include <d3d11.h>
#include <dwmapi.h>
#include <dxgi.h>
#include <shellscalingapi.h>
#include <winspool.h>

// GDI+'s header uses PROPID without declaring it, and windows.h leaves it out here.
#include <objidl.h>

#include <gdiplus.h>

#include <string_view>

#include "win/mingw_compat.h"
#include "win/system.h"
#include "win/unique_handle.h"

namespace orv::win {

// The name a function is exported by: its qualified name without the namespaces.
constexpr const char* ExportName(const char* qualified) {
  const char* name = qualified;
  for (const char* at = qualified; *at; ++at) {
    if (at[0] == ':' && at[1] == ':') name = at + 2;
  }
  return name;
}

class SystemLibrary {
 public:
  explicit SystemLibrary(std::wstring_view name) : module_(LoadSystemLibrary(name)) {}
  explicit operator bool() const { return static_cast<bool>(module_); }

  template <class F>
  F Find(const char* name) const {
    return module_ ? GetProc<F>(module_.get(), name) : nullptr;
  }

 private:
  UniqueModule module_;
};

// A member of a set: the library's entry point of the SDK function, typed as the SDK declares it.
#define ORV_SYSTEM_FUNCTION(member, function) \
  const decltype(&function) member =          \
      library.Find<decltype(&function)>(::orv::win::ExportName(#function))

// user32.dll: the calls of per-monitor scaling, which arrived one Windows version at a time.
struct User32Functions {
  SystemLibrary library{L"user32.dll"};
  ORV_SYSTEM_FUNCTION(SetProcessDpiAwarenessContext, ::SetProcessDpiAwarenessContext);  // 10 1703
  ORV_SYSTEM_FUNCTION(SetProcessDPIAware, ::SetProcessDPIAware);                        // Vista
  ORV_SYSTEM_FUNCTION(IsProcessDPIAware, ::IsProcessDPIAware);                          // Vista
  ORV_SYSTEM_FUNCTION(GetDpiForWindow, ::GetDpiForWindow);                              // 10 1607
  ORV_SYSTEM_FUNCTION(GetSystemMetricsForDpi, ::GetSystemMetricsForDpi);                // 10 1607
  ORV_SYSTEM_FUNCTION(AdjustWindowRectExForDpi, ::AdjustWindowRectExForDpi);            // 10 1607
};

// user32.dll: the display configuration (Windows 7 and later), which tells how each monitor's
// desktop is composed.
struct DisplayConfigFunctions {
  SystemLibrary library{L"user32.dll"};
  ORV_SYSTEM_FUNCTION(GetDisplayConfigBufferSizes, ::GetDisplayConfigBufferSizes);
  ORV_SYSTEM_FUNCTION(QueryDisplayConfig, ::QueryDisplayConfig);
  ORV_SYSTEM_FUNCTION(DisplayConfigGetDeviceInfo, ::DisplayConfigGetDeviceInfo);

  explicit operator bool() const {
    return GetDisplayConfigBufferSizes && QueryDisplayConfig && DisplayConfigGetDeviceInfo;
  }
};

// dxgi.dll and d3d11.dll, loaded for one grab of a monitor composed in floating point.
struct DxgiFunctions {
  SystemLibrary library{L"dxgi.dll"};
  ORV_SYSTEM_FUNCTION(CreateDXGIFactory1, ::CreateDXGIFactory1);
};
struct Direct3D11Functions {
  SystemLibrary library{L"d3d11.dll"};
  ORV_SYSTEM_FUNCTION(D3D11CreateDevice, ::D3D11CreateDevice);
};

// shcore.dll (Windows 8.1 and later): monitor resolutions and the first per-monitor awareness.
struct ShcoreFunctions {
  SystemLibrary library{L"shcore.dll"};
  ORV_SYSTEM_FUNCTION(SetProcessDpiAwareness, ::SetProcessDpiAwareness);
  ORV_SYSTEM_FUNCTION(GetDpiForMonitor, ::GetDpiForMonitor);
};

// dwmapi.dll (Windows Vista and later): what the compositor draws of a window.
struct DwmFunctions {
  SystemLibrary library{L"dwmapi.dll"};
  ORV_SYSTEM_FUNCTION(DwmIsCompositionEnabled, ::DwmIsCompositionEnabled);
  ORV_SYSTEM_FUNCTION(DwmGetWindowAttribute, ::DwmGetWindowAttribute);
};

// winspool.drv: the default printer's name (Windows 2000 and later).
struct SpoolerFunctions {
  SystemLibrary library{L"winspool.drv"};
  ORV_SYSTEM_FUNCTION(GetDefaultPrinterW, ::GetDefaultPrinterW);
};

// kernel32.dll: a process's power policy (Windows 8 and later; power throttling since 10 1709).
struct Kernel32Functions {
  SystemLibrary library{L"kernel32.dll"};
  ORV_SYSTEM_FUNCTION(SetProcessInformation, ::SetProcessInformation);
};

// ntdll.dll: the true version of the system.
struct NtdllFunctions {
  SystemLibrary library{L"ntdll.dll"};
  ORV_SYSTEM_FUNCTION(RtlGetVersion, ::RtlGetVersion);
};

// gdiplus.dll's flat functions, loaded for one save.
struct GdiPlusFunctions {
  SystemLibrary library{L"gdiplus.dll"};
  ORV_SYSTEM_FUNCTION(GdiplusStartup, ::Gdiplus::GdiplusStartup);
  ORV_SYSTEM_FUNCTION(GdiplusShutdown, ::Gdiplus::GdiplusShutdown);
  ORV_SYSTEM_FUNCTION(GdipCreateBitmapFromScan0, ::Gdiplus::DllExports::GdipCreateBitmapFromScan0);
  ORV_SYSTEM_FUNCTION(GdipSetImagePalette, ::Gdiplus::DllExports::GdipSetImagePalette);
  ORV_SYSTEM_FUNCTION(GdipSaveImageToStream, ::Gdiplus::DllExports::GdipSaveImageToStream);
  ORV_SYSTEM_FUNCTION(GdipDisposeImage, ::Gdiplus::DllExports::GdipDisposeImage);

  // The library and every function it is used for.
  explicit operator bool() const {
    return library && GdiplusStartup && GdiplusShutdown && GdipCreateBitmapFromScan0 &&
           GdipSetImagePalette && GdipSaveImageToStream && GdipDisposeImage;
  }
};

#undef ORV_SYSTEM_FUNCTION

}  // namespace orv::win
