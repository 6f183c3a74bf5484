// Small services of the operating system that every part of the program uses.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "win/unique_handle.h"

namespace orv::win {

// One of the program's icon resources at size x size pixels: the image made for that size, or
// the nearest one scaled by the system when the icon has none.
UniqueIcon LoadIconResource(int id, int size);

// Loads a library from the system folder only, never from the program's or the current folder,
// so that a planted DLL of the same name cannot run.
UniqueModule LoadSystemLibrary(std::wstring_view name);

// Looks up an entry point and casts it to the function type F.
template <class F>
F GetProc(HMODULE module, const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

struct OsVersion {
  DWORD major = 0, minor = 0, build = 0, platform = 0;
};
// The true version (RtlGetVersion, else GetVersionExW), not the one compatibility shims report.
OsVersion GetTrueOsVersion();
bool IsWindows2000OrLater();
bool IsWindows10OrLater();

// Blocks the calling thread, with the timer resolution raised to 1 ms for the pause only.
void Pause(DWORD milliseconds);

// Writes the first byte of every page of fresh, zeroed memory, zero again, on a second thread
// while this one goes on: the system gives a page its memory on the first write, and for tens of
// megabytes that costs milliseconds that can be spent while this thread waits for something
// else. Nothing else may use the memory until the object is gone; its end waits for the thread.
// When no thread can be started nothing is done, and the first real use pays as before.
class TouchPagesInBackground {
 public:
  explicit TouchPagesInBackground(std::span<std::uint8_t> memory);
  ~TouchPagesInBackground();
  TouchPagesInBackground(const TouchPagesInBackground&) = delete;
  TouchPagesInBackground& operator=(const TouchPagesInBackground&) = delete;

 private:
  std::span<std::uint8_t> memory_;
  UniqueKernelHandle thread_;
};

// Brings a top-level window to the front and activates it; true when it is then the foreground
// window. Windows lets a process do so only when it received the last input, and the keys a
// low-level hook sees do not count: the program first sends an input of its own that does
// nothing (a mouse input without movement or button), which makes it the process that received
// the last input, then asks once. When Windows still refuses, the window's taskbar button
// flashes instead, and nothing more is tried.
bool BringToFront(HWND window);

// The owner for the program's message boxes: the foreground window when it belongs to this
// process, else none.
HWND MessageBoxOwner();
int ShowMessageBox(std::wstring_view text, std::wstring_view caption, UINT type);

// The outer rectangle of a window with this client size, style and extended style, its frame
// drawn at the given scale, centred on the primary monitor's work area (the whole primary screen
// when the work area is unknown).
RECT CentredFrame(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, float scale);

// Starts a program and lets it run on its own (nothing waits for it; its handles are closed at
// once). An empty application name lets the system find the program from the command line.
// False when it could not be started.
bool StartProgram(const std::wstring& application, std::wstring commandLine,
                  const std::wstring& workingFolder);

// Gives file new content in one step: write is called with the path of temporary (a new file in
// the same folder) and says whether it wrote all of it; only then does temporary take the place
// of file, in one rename. Whatever fails, file keeps its old content and temporary is removed.
bool ReplaceFileThroughTemporary(const std::wstring& file, const std::wstring& temporary,
                                 const std::function<bool(const std::wstring& target)>& write);

// Full path of the running program file, whatever its length.
std::wstring ModuleFileName();
// The system folder with a trailing backslash.
std::wstring SystemFolder();

}  // namespace orv::win
