// Start-up and shutdown: the fixed sequence that sets up the process-wide state, hands control
// to the event loop, and undoes everything in order when the loop ends.
#include <shlobj.h>
#include <windows.h>

#include "app/app_state_win.h"
#include "app/event_loop_win.h"
#include "app/scale.h"
#include "app/text_table.h"
#include "app/tray_win.h"
#include "capture/keyboard_hook_win.h"
#include "capture/screen_grab_win.h"
#include "settings/autostart_win.h"
#include "settings/fault_report_win.h"
#include "settings/preferences_win.h"
#include "win/system.h"

namespace orv {
namespace {

// Returns false when another copy already runs; that copy is left alone.
bool ClaimSingleInstance() {
  AppState& app = App();
  app.InstanceMutex.reset(CreateMutexW(nullptr, FALSE, Text(L"#Program_Name").c_str()));
  if (GetLastError() != ERROR_ALREADY_EXISTS) return true;
  win::ShowMessageBox(Text(L"#TXT00041"), Text(L"#Program_Name"), MB_OK);
  ReleaseMutex(app.InstanceMutex.get());  // we do not own it; harmless, kept for symmetry
  app.InstanceMutex.reset();
  return false;
}

// Height of the system message font in pixels, 0 when it cannot be read. The record is passed
// without its last field (500 bytes), which every Windows version accepts.
int MessageFontHeight() {
  NONCLIENTMETRICSW metrics{};
  constexpr UINT kSize = offsetof(NONCLIENTMETRICSW, lfMessageFont) + sizeof(LOGFONTW);
  static_assert(kSize == 500);
  metrics.cbSize = kSize;
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, kSize, &metrics, 0)) return 0;
  return -metrics.lfMessageFont.lfHeight;
}

void DeclareDpiAwareness() {
  const win::UniqueModule user32 = win::LoadSystemLibrary(L"user32.dll");
  if (!user32) return;
  const auto setAware = win::GetProc<BOOL(WINAPI*)()>(user32.get(), "SetProcessDPIAware");
  const auto isAware = win::GetProc<BOOL(WINAPI*)()>(user32.get(), "IsProcessDPIAware");
  if (setAware && isAware && !isAware()) setAware();
}

int DisplayLogPixelsY() {
  const win::WindowDc dc(GetDesktopWindow());
  return dc ? GetDeviceCaps(dc.get(), LOGPIXELSY) : 0;
}

HWND FindDesktopListView() {
  if (const HWND view = FindWindowExW(GetShellWindow(), nullptr, L"SHELLDLL_DefView", nullptr)) {
    if (const HWND list = FindWindowExW(view, nullptr, L"SysListView32", nullptr)) return list;
  }
  // Since Windows 7 the icon view often hangs below one of the "WorkerW" windows instead.
  HWND view = nullptr;
  for (HWND worker = FindWindowExW(GetDesktopWindow(), nullptr, L"WorkerW", nullptr);
       worker && !view; worker = FindWindowExW(GetDesktopWindow(), worker, L"WorkerW", nullptr)) {
    view = FindWindowExW(worker, nullptr, L"SHELLDLL_DefView", nullptr);
  }
  return view ? FindWindowExW(view, nullptr, L"SysListView32", nullptr) : nullptr;
}

std::wstring WithTrailingBackslash(std::wstring path) {
  if (!path.empty() && path.back() != L'\\') path += L'\\';
  return path;
}

std::wstring SpecialFolderPath(int folderId) {
  PIDLIST_ABSOLUTE items = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, folderId, &items))) return {};
  wchar_t buffer[MAX_PATH] = {};
  const BOOL converted = SHGetPathFromIDListW(items, buffer);
  CoTaskMemFree(items);
  return converted ? WithTrailingBackslash(buffer) : std::wstring();
}

std::wstring LongTempFolder() {
  wchar_t shortPath[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathW(MAX_PATH + 1, shortPath);
  if (length == 0 || length > MAX_PATH) return {};
  wchar_t longPath[MAX_PATH + 1] = {};
  const DWORD longLength = GetLongPathNameW(shortPath, longPath, MAX_PATH + 1);
  return WithTrailingBackslash(longLength > 0 && longLength <= MAX_PATH ? longPath : shortPath);
}

void ComputeFolders() {
  AppState& app = App();
  // Without the user's application-data folder there is no user location for the preferences.
  const std::wstring appData = SpecialFolderPath(CSIDL_APPDATA);
  app.AppDataDir = appData.empty() ? std::wstring() : appData + Text(L"#AppData_Subdir");
  app.WindowsDir = SpecialFolderPath(CSIDL_WINDOWS);
  app.PicturesDir = SpecialFolderPath(CSIDL_MYPICTURES);
  app.TempDir = LongTempFolder();
  const std::wstring program = win::ModuleFileName();
  app.ProgramDir = program.substr(0, program.find_last_of(L"\\/") + 1);
}

win::UniqueFont CreatePointFont(std::wstring_view face, int points, bool bold) {
  const std::wstring faceZ(face);
  return win::UniqueFont(CreateFontW(FontHeightForPoints(points, App().fontLogPixelsY), 0, 0, 0,
                                     bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                                     DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                     DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, faceZ.c_str()));
}

void CreateFonts() {
  AppState& app = App();
  const FontChoice choice = ChooseFonts(app.FontScale);
  app.ControlFont = CreatePointFont(choice.control.face, choice.control.points, false);
  if (!app.ControlFont) {
    app.ControlFont = CreatePointFont(choice.control.fallbackFace, choice.control.points, false);
  }
  app.TitleFont = CreatePointFont(choice.title.face, choice.title.points, true);
}

void LoadIcons() {
  AppState& app = App();
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  for (int id = static_cast<int>(ImageId::AppIcon); id <= static_cast<int>(ImageId::RestoreIcon);
       ++id) {
    // The app icon is shown in the tray at the small-icon size; the others are 20x20 buttons.
    const int size = id == static_cast<int>(ImageId::AppIcon) ? GetSystemMetrics(SM_CXSMICON) : 20;
    app.icons[id - static_cast<int>(ImageId::AppIcon)].reset(static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
  }
}

void LoadCursors() {
  AppState& app = App();
  app.arrowCursor = LoadCursorW(nullptr, IDC_ARROW);
  app.crossCursor = LoadCursorW(nullptr, IDC_CROSS);
  app.handCursor = LoadCursorW(nullptr, IDC_HAND);
}

// Steps 1 to 6 of shutdown, after the loop ended (or when the main window failed).
void Shutdown() {
  AppState& app = App();
  app.keyboardHook.reset();  // UnhookWindowsHookEx when installed
  ApplyAutostart();
  SavePreferences();
  app.InstanceMutex.reset();
  ReleaseProgramObjects();
}

}  // namespace

AppState& App() {
  static AppState state;
  return state;
}

HICON Icon(ImageId id) {
  const int index = static_cast<int>(id) - static_cast<int>(ImageId::AppIcon);
  return index >= 0 && index < 8 ? App().icons[index].get() : nullptr;
}

void ReleaseProgramObjects() {
  AppState& app = App();
  DestroyProgramWindows();  // preview, about, overlay, tray icon and menu, main window, images
  ReleaseFaultHandler();
  app.ControlFont.reset();
  app.TitleFont.reset();
  for (win::UniqueIcon& icon : app.icons) icon.reset();
}

int RunProgram() {
  AppState& app = App();
  LoadTexts();
  // The JPEG and PNG encoders are linked in; there is nothing to enable at run time.
  if (!ClaimSingleInstance()) return 0;

  app.fontLogPixelsY = DisplayLogPixelsY();
  if (app.fontLogPixelsY < 1) app.fontLogPixelsY = 96;
  const int heightBefore = MessageFontHeight();
  DeclareDpiAwareness();
  const int heightAfter = MessageFontHeight();
  app.FontScale = ComputeFontScale(heightBefore, heightAfter);
  app.DpiScale = ComputeDpiScale(DisplayLogPixelsY());

  RefreshScreenBounds();
  app.DesktopListView = FindDesktopListView();
  ComputeFolders();
  CreateFonts();
  LoadIcons();
  LoadCursors();
  InstallFaultHandler();
  InstallKeyboardHook();
  LoadPreferences();

  if (CreateMainWindow()) {
    CreateTrayIcon();
    RunEventLoop();
  }
  Shutdown();
  return 0;
}

}  // namespace orv
