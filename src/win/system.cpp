#include "win/system.h"

#include <mmsystem.h>

#include "base/fault_location.h"
#include "win/dpi.h"
#include "win/system_functions.h"

#include <vector>

namespace orv::win {

UniqueIcon LoadIconResource(int id, int size) {
  return UniqueIcon(static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id),
                                                  IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
}

UniqueModule LoadSystemLibrary(std::wstring_view name) {
  const std::wstring folder = SystemFolder();
  if (folder.empty()) return {};  // never fall back to the search path
  const std::wstring path = folder + std::wstring(name);
  return UniqueModule(LoadLibraryExW(path.c_str(), nullptr, 0));
}

OsVersion GetTrueOsVersion() {
  OSVERSIONINFOEXW info{};
  info.dwOSVersionInfoSize = sizeof(info);
  const NtdllFunctions ntdll;
  // The extended record is taken where its size says so; 0 is STATUS_SUCCESS.
  if (!ntdll.RtlGetVersion || ntdll.RtlGetVersion(reinterpret_cast<OSVERSIONINFOW*>(&info)) != 0) {
    info = {};
    info.dwOSVersionInfoSize = sizeof(info);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info))) return {};
#pragma GCC diagnostic pop
  }
  return {info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber, info.dwPlatformId};
}

bool IsWindows2000OrLater() {
  const OsVersion v = GetTrueOsVersion();
  // Windows 95/98/ME and NT 4.0 or older are the only versions without CAPTUREBLT; a version
  // the test does not know (including an unreadable one on an NT system) counts as newer.
  if (v.platform == VER_PLATFORM_WIN32_WINDOWS) return false;
  if (v.platform == VER_PLATFORM_WIN32_NT && v.major != 0 && v.major < 5) return false;
  return true;
}

bool IsWindows10OrLater() {
  const OsVersion v = GetTrueOsVersion();
  if (v.platform == VER_PLATFORM_WIN32_WINDOWS) return false;
  if (v.major == 0) return true;  // unknown: newer than anything known
  return v.major >= 10;
}

void Pause(DWORD milliseconds) {
  // The finer timer only for the pause itself: left raised, it would keep the whole machine's
  // timer fast (before Windows 10 2004) and the processor from its idle states.
  const bool raised = timeBeginPeriod(1) == TIMERR_NOERROR;
  Sleep(milliseconds);
  if (raised) timeEndPeriod(1);  // each raise is matched by its own end, with the same period
}

namespace {

DWORD WINAPI TouchPages(void* parameter) {
  const auto& memory = *static_cast<const std::span<std::uint8_t>*>(parameter);
  SYSTEM_INFO system{};
  GetSystemInfo(&system);
  const std::size_t page = system.dwPageSize ? system.dwPageSize : 4096;
  // The first page through the first byte, which may lie inside it, the others at their starts.
  const auto start = reinterpret_cast<std::uintptr_t>(memory.data());
  for (std::size_t at = page - start % page; at < memory.size(); at += page) {
    static_cast<volatile std::uint8_t&>(memory[at]) = 0;
  }
  if (!memory.empty()) static_cast<volatile std::uint8_t&>(memory[0]) = 0;
  return 0;
}

}  // namespace

TouchPagesInBackground::TouchPagesInBackground(std::span<std::uint8_t> memory) : memory_(memory) {
  if (!memory_.empty()) thread_.reset(CreateThread(nullptr, 0, TouchPages, &memory_, 0, nullptr));
}

TouchPagesInBackground::~TouchPagesInBackground() {
  if (thread_) WaitForSingleObject(thread_.get(), INFINITE);
}

bool BringToFront(HWND window) {
  if (!window) return false;
  INPUT nothing{};
  nothing.type = INPUT_MOUSE;  // no MOUSEEVENTF_MOVE and no button: the pointer stays, no click
  SendInput(1, &nothing, sizeof(nothing));
  return SetForegroundWindow(window) != FALSE && GetForegroundWindow() == window;
}

HWND MessageBoxOwner() {
  const HWND foreground = GetForegroundWindow();
  DWORD processId = 0;
  if (foreground) GetWindowThreadProcessId(foreground, &processId);
  return processId == GetCurrentProcessId() ? foreground : nullptr;
}

int ShowMessageBox(std::wstring_view text, std::wstring_view caption, UINT type) {
  const std::wstring textZ(text), captionZ(caption);
  return MessageBoxW(MessageBoxOwner(), textZ.c_str(), captionZ.c_str(), type);
}

RECT CentredFrame(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, float scale) {
  const Size frame = FrameSize({clientWidth, clientHeight}, style, exStyle, scale);
  const int width = frame.width, height = frame.height;
  RECT work{};
  if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0)) {
    work = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  }
  const int x = work.left + (work.right - work.left - width) / 2;
  const int y = work.top + (work.bottom - work.top - height) / 2;
  return {x, y, x + width, y + height};
}

bool StartProgram(const std::wstring& application, std::wstring commandLine,
                  const std::wstring& workingFolder) {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  // CreateProcessW may write into the command line, hence the copy taken by value.
  if (!CreateProcessW(application.empty() ? nullptr : application.c_str(), commandLine.data(),
                      nullptr, nullptr, FALSE, 0, nullptr,
                      workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup,
                      &process)) {
    return false;
  }
  const UniqueKernelHandle processHandle(process.hProcess);
  const UniqueKernelHandle threadHandle(process.hThread);
  return true;
}

bool ReplaceFileThroughTemporary(const std::wstring& file, const std::wstring& temporary,
                                 const std::function<bool(const std::wstring& target)>& write) {
  // Writing in place would leave the file cut short or empty if the write failed half-way (a
  // full disk, a refused encoder, the program ended); the old file stays until a whole new one
  // can replace it.
  if (write(temporary)) {
    ORV_TRACE_LOCATION();
    if (MoveFileExW(temporary.c_str(), file.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      return true;
    }
  }
  ORV_TRACE_LOCATION();
  DeleteFileW(temporary.c_str());
  return false;
}

std::wstring ModuleFileName() {
  // Start with the customary 1000 characters and grow when the path is longer.
  std::vector<wchar_t> buffer(1000);
  for (;;) {
    const DWORD length =
        GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) return std::wstring(buffer.data(), length);
    if (buffer.size() >= 32768) return {};
    buffer.resize(buffer.size() * 2);
  }
}

std::wstring SystemFolder() {
  wchar_t buffer[MAX_PATH];
  const UINT length = GetSystemDirectoryW(buffer, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  std::wstring folder(buffer, length);
  if (folder.back() != L'\\') folder += L'\\';
  return folder;
}

}  // namespace orv::win
