// Start-up and shutdown: the fixed sequence that makes the program's owners (the application, the
// selection overlay, the capture under review), hands them to the event loop, and undoes
// everything in order when the loop ends.
#include "app/startup_win.h"

#include <shellscalingapi.h>
#include <shlobj.h>
#include <windows.h>

#include <optional>
#include <utility>

#include "app/application_win.h"
#include "app/event_loop_win.h"
#include "app/fault_report_win.h"
#include "base/scale.h"
#include "base/text_keys.h"
#include "base/text_table.h"
#include "capture/keyboard_hook_win.h"
#include "capture/selection_overlay_win.h"
#include "output/paint_win.h"
#include "review/capture_review_win.h"
#include "settings/autostart_win.h"
#include "settings/preferences_win.h"
#include "win/com_apartment.h"
#include "win/shell.h"
#include "win/system.h"
#include "win/system_functions.h"

namespace orv {
namespace {

// The mutex that marks this copy as the one running for the user (an empty one when it could not
// be made: the program runs all the same). Nothing when another copy already runs; that copy is
// told about and left alone.
std::optional<win::UniqueKernelHandle> ClaimSingleInstance() {
  win::UniqueKernelHandle mutex(CreateMutexW(nullptr, FALSE, Text(TextKey::ProgramName).c_str()));
  if (GetLastError() != ERROR_ALREADY_EXISTS) return mutex;
  win::ShowMessageBox(Text(TextKey::AlreadyRunning), Text(TextKey::ProgramName), MB_OK);
  return std::nullopt;  // the handle closes; the mutex stays the other copy's
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

// Makes the process work in physical pixels on every monitor, with the best call the system
// has. Only per-monitor awareness keeps the screen grab, the pointer and window rectangles in one
// pixel space on a desk whose monitors have different scales (or after the scale changed while
// the program runs); a process that is only system-aware is given scaled coordinates on every
// monitor whose scale differs from the one at logon. Each call refuses once the awareness is
// set, which ends the search: whatever set it (the system, a compatibility setting) stays.
void DeclareDpiAwareness() {
  const win::User32Functions user32;
  if (!user32.library) return;
  // Windows 10 1703 and later: per-monitor awareness that also scales the frames and dialogs.
  if (user32.SetProcessDpiAwarenessContext) {
    if (user32.SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2)) return;
    if (GetLastError() == ERROR_ACCESS_DENIED) return;
  }
  // Windows 8.1 and later (and 10 before 1703, which does not know the context above).
  if (const win::ShcoreFunctions shcore; shcore.SetProcessDpiAwareness) {
    const HRESULT result = shcore.SetProcessDpiAwareness(PROCESS_PER_MONITOR_DPI_AWARE);
    if (SUCCEEDED(result) || result == E_ACCESSDENIED) return;
  }
  // Older systems have one resolution for all monitors: system awareness is all there is.
  if (user32.SetProcessDPIAware && user32.IsProcessDPIAware && !user32.IsProcessDPIAware()) {
    user32.SetProcessDPIAware();
  }
}

// Windows 10 1709 and later slow down a process they take for idle (efficiency mode). The
// keyboard hook's thread, slowed down, may answer too late, and Windows then removes the hook
// without a word. Older systems know no such policy; a refusal is not reported.
void OptOutOfPowerThrottling() {
  const win::Kernel32Functions kernel32;
  if (!kernel32.SetProcessInformation) return;
  PROCESS_POWER_THROTTLING_STATE state{};
  state.Version = PROCESS_POWER_THROTTLING_CURRENT_VERSION;
  state.ControlMask = PROCESS_POWER_THROTTLING_EXECUTION_SPEED;
  state.StateMask = 0;  // the policy taken over, and set to: never slowed down
  kernel32.SetProcessInformation(GetCurrentProcess(), ProcessPowerThrottling, &state,
                                 sizeof(state));
}

int DisplayLogPixelsY() {
  const win::WindowDc dc(GetDesktopWindow());
  return dc ? GetDeviceCaps(dc.get(), LOGPIXELSY) : 0;
}

std::wstring LongTempFolder() {
  wchar_t shortPath[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathW(MAX_PATH + 1, shortPath);
  if (length == 0 || length > MAX_PATH) return {};
  wchar_t longPath[MAX_PATH + 1] = {};
  const DWORD longLength = GetLongPathNameW(shortPath, longPath, MAX_PATH + 1);
  return win::WithTrailingBackslash(longLength > 0 && longLength <= MAX_PATH ? longPath
                                                                             : shortPath);
}

Folders FindFolders() {
  Folders folders;
  // Without the user's application-data folder there is no user location for the preferences.
  const std::wstring appData = win::SpecialFolderPath(CSIDL_APPDATA);
  folders.AppDataDir = appData.empty() ? std::wstring() : appData + Text(TextKey::AppDataSubfolder);
  folders.WindowsDir = win::SpecialFolderPath(CSIDL_WINDOWS);
  folders.PicturesDir = win::SpecialFolderPath(CSIDL_MYPICTURES);
  folders.TempDir = LongTempFolder();
  const std::wstring program = win::ModuleFileName();
  folders.ProgramDir = program.substr(0, program.find_last_of(L"\\/") + 1);
  return folders;
}

struct ScaleFactors {
  float dpiScale = 1.0f;
  float fontScale = 1.0f;
  int fontLogPixelsY = 96;  // the display resolution read before, by which the fonts are sized
};

// The scale factors: DpiScale from the display resolution once the process is DPI-aware,
// FontScale from how the message font changed when it became so.
ScaleFactors SetUpScaleFactors() {
  ScaleFactors factors;
  const int logPixelsY = DisplayLogPixelsY();
  if (logPixelsY >= 1) factors.fontLogPixelsY = logPixelsY;
  const int heightBefore = MessageFontHeight();
  DeclareDpiAwareness();
  const int heightAfter = MessageFontHeight();
  factors.fontScale = ComputeFontScale(heightBefore, heightAfter);
  factors.dpiScale = ComputeDpiScale(DisplayLogPixelsY());
  return factors;
}

// What quitting keeps and removes beyond the process, once, for the quit command after the loop
// and for the end of the session, when Windows ends the process as soon as the main window has
// answered: the hook goes, the autostart value and the settings are saved, and the temporary
// images still as this program wrote them are deleted.
void Shutdown(Application& app) {
  app.keyboardHook.Remove();  // unhooked on its own thread, when installed
  ApplyAutostart(app.Settings);
  SavePreferences(app.Settings, app.folders);
  app.temporaryImages.RemoveUnchanged();
}

// Releases everything the program created: windows, menu, tray icon, pictures, the fault filter,
// fonts and icons. Used by shutdown and by the fatal-error report.
void ReleaseProgramObjects(Application& app, SelectionOverlay& overlay, CaptureReview& review) {
  overlay.Close();
  review.Close();
  app.about.Close();
  app.main.Destroy();
  app.events.Clear();
  ReleaseFaultHandler();
  app.resources = {};
}

}  // namespace

int RunProgram() {
  LoadTexts();
  std::optional<win::UniqueKernelHandle> instanceMutex = ClaimSingleInstance();
  if (!instanceMutex) return 0;
  // OLE for the thread's whole life, for dragging the picture out; made before any window.
  const win::ScopedOle ole;
  OptOutOfPowerThrottling();

  const ScaleFactors scale = SetUpScaleFactors();
  Folders folders = FindFolders();
  RemoveLeftoverTemporaryImages(folders.TempDir);
  Application app(Resources::Make(scale.dpiScale, scale.fontScale, scale.fontLogPixelsY),
                  std::move(folders));
  SelectionOverlay overlay(app.events, app.resources);
  CaptureReview review(app.host, app.Settings, app.folders, app.temporaryImages);
  InstallFaultHandler([&] {
    // The clipboard keeps its bitmap; its other forms are given up rather than made on a heap
    // the fault may have damaged.
    app.clipboard.Release();
    ReleaseProgramObjects(app, overlay, review);
  });
  app.keyboardHook = InstallKeyboardHook();
  app.Settings = LoadPreferences(app.folders);

  if (app.main.Create(app.keyboardHook, [&app] { Shutdown(app); })) {
    // The capture keys also as hot keys of the main window, for when the hook is not called;
    // unregistered when the loop has ended, beside the hook's removal.
    const CaptureHotKeys hotKeys(app.main.Handle());
    app.main.Tray().Create(app.main.Handle());
    RunEventLoop({app, overlay, review});
  }

  Shutdown(app);  // after the loop ended (or when the main window failed)
  instanceMutex.reset();
  ReleaseProgramObjects(app, overlay, review);
  return 0;
}

}  // namespace orv
