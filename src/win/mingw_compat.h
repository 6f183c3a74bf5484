// What the MinGW-w64 headers leave out of the SDK, each entry with the reason it is needed.
#pragma once

#include <windows.h>

extern "C" {

// ntdll.dll's version query, which (unlike GetVersionExW) no compatibility shim changes. The SDK
// declares it only in the driver kit's wdm.h; the program looks it up at run time and never links
// against it.
NTSYSAPI LONG NTAPI RtlGetVersion(OSVERSIONINFOW* version);

}  // extern "C"
