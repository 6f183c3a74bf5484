#include "app/event_loop_win.h"

#include <deque>
#include <map>

#include "app/app_state_win.h"
#include "app/help_commands_win.h"
#include "app/images_win.h"
#include "app/scale.h"
#include "app/text_table.h"
#include "app/tray_win.h"
#include "capture/screen_grab_win.h"
#include "capture/selection_overlay_win.h"
#include "capture/selection_win.h"
#include "imaging/transforms_win.h"
#include "output/clipboard_win.h"
#include "output/export_win.h"
#include "output/paint_win.h"
#include "output/preview_window_win.h"
#include "output/print_win.h"
#include "settings/about_window_win.h"
#include "settings/autostart.h"
#include "settings/autostart_win.h"
#include "settings/fault_location.h"
#include "settings/preferences_win.h"
#include "win/system.h"
#include "win/window_class.h"

namespace orv {
namespace {

constexpr wchar_t kMainWindowClass[] = L"OrvantaMain";
constexpr DWORD kMainWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;

std::deque<Event> events;
std::map<WindowId, HWND> windows;
std::map<WindowId, CommandId> escapeBindings;
UINT taskbarCreatedMessage = 0;

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND && lParam == 0) {
    // Menu choices and the commands the keyboard hook posts take the same road.
    QueueEvent({EventKind::Command, static_cast<int>(WindowId::Main), LOWORD(wParam)});
    return 0;
  }
  if (message == kTrayCallbackMessage) {
    switch (LOWORD(lParam)) {
      case WM_LBUTTONDOWN:
        QueueEvent({EventKind::Tray, 0, 0, static_cast<int>(TrayEventType::LeftPress)});
        break;
      case WM_RBUTTONDOWN:
        QueueEvent({EventKind::Tray, 0, 0, static_cast<int>(TrayEventType::RightPress)});
        break;
      case WM_LBUTTONDBLCLK:
        QueueEvent({EventKind::Tray, 0, 0, static_cast<int>(TrayEventType::LeftDoubleClick)});
        break;
      case WM_RBUTTONDBLCLK:
        QueueEvent({EventKind::Tray, 0, 0, static_cast<int>(TrayEventType::RightDoubleClick)});
        break;
    }
    return 0;
  }
  if (message == taskbarCreatedMessage && taskbarCreatedMessage != 0) {
    // A restarted taskbar forgets every icon; without ours the program has no visible way in.
    RestoreTrayIcon();
    return 0;
  }
  if (message == WM_ENDSESSION && wParam) {
    // Windows ends the process as soon as this returns, at logoff or shutdown: keep what the
    // quit command would keep (the autostart value and the settings changed in this run).
    // Done here, not through the queue, because the loop never gets another turn.
    ApplyAutostart();
    SavePreferences();
    return 0;
  }
  if (message == WM_CLOSE) return 0;  // the main window ends only through the quit command
  return DefWindowProcW(window, message, wParam, lParam);
}

// Escape pressed in a window with a binding becomes that window's command.
bool TranslateEscapeKey(const MSG& message) {
  if (message.message != WM_KEYDOWN || message.wParam != VK_ESCAPE || !message.hwnd) return false;
  const HWND root = GetAncestor(message.hwnd, GA_ROOT);
  for (const auto& [window, command] : escapeBindings) {
    if (root && root == WindowHandle(window)) {
      QueueEvent({EventKind::Command, static_cast<int>(window), static_cast<int>(command)});
      return true;
    }
  }
  return false;
}

// Blocks until an event is queued; false when the message queue was told to quit.
bool WaitForEvent(Event& event) {
  while (events.empty()) {
    // A fault while waiting is not one of the steps that ran before.
    ORV_TRACE_LOCATION();
    MSG message;
    if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) return false;
      if (TranslateEscapeKey(message)) continue;
      TranslateMessage(&message);
      ORV_TRACE_LOCATION();
      DispatchMessageW(&message);
      continue;
    }
    // Messages sent from other threads (the tray icon's notifications among them) are handled
    // inside PeekMessageW without being returned, so wait for sent messages too, not only for
    // posted ones as GetMessageW would.
    MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
  event = events.front();
  events.pop_front();
  return true;
}

enum class StepOutcome {
  Next,     // go on with the row's next step
  EndRow,   // the rest of the row does not apply
  EndLoop,  // the quit command
};

// A capture starts by setting the mode. While a selection is on screen a new request is
// ignored: it would grab our own overlay and change the mode under the selection in progress.
StepOutcome StartCapture(CaptureMode mode) {
  if (IsSelectionOverlayOpen()) return StepOutcome::EndRow;
  App().captureMode = mode;
  return StepOutcome::Next;
}

// Runs one step. Each step marks its own line as the current location, so a fatal-error report
// names the action that was running.
StepOutcome RunStep(Step step) {
  AppState& app = App();
  switch (step) {
    case Step::SetAutostartCheckFromSetting:
      ORV_TRACE_LOCATION();
      // The mark shows whether the program starts with Windows, by the same rule that writes
      // the Run value: a hand-edited 5 is on, and so is its mark.
      SetAutostartCheck(IsAutostartOn(app.settings.LoadOnWindowsStart));
      break;
    case Step::ShowTrayMenu:
      ORV_TRACE_LOCATION();
      ShowTrayMenu();
      break;
    case Step::SetModeRegion:
      ORV_TRACE_LOCATION();
      return StartCapture(CaptureMode::ModeRegion);
    case Step::SetModeScreen:
      ORV_TRACE_LOCATION();
      return StartCapture(CaptureMode::ModeScreen);
    case Step::SetModeWindow:
      ORV_TRACE_LOCATION();
      return StartCapture(CaptureMode::ModeWindow);
    case Step::PauseBeforeCapture:
      ORV_TRACE_LOCATION();
      win::Pause(300);
      break;
    case Step::ToggleAutostartCheck: {
      ORV_TRACE_LOCATION();
      const bool checked = IsAutostartChecked();
      app.settings.LoadOnWindowsStart = checked ? 0 : 1;
      SetAutostartCheck(!checked);
      break;
    }
    case Step::ApplyAutostart:
      ORV_TRACE_LOCATION();
      ApplyAutostart();
      break;
    case Step::SavePreferences:
      ORV_TRACE_LOCATION();
      SavePreferences();
      break;
    case Step::Quit:
      ORV_TRACE_LOCATION();
      return StepOutcome::EndLoop;
    case Step::CaptureFullScreen:
      ORV_TRACE_LOCATION();
      CaptureFullScreen();
      break;
    case Step::OpenPreviewWindow:
      ORV_TRACE_LOCATION();
      OpenPreviewWindow();
      break;
    case Step::ClosePreviewWindow:
      ORV_TRACE_LOCATION();
      ClosePreviewWindow();
      break;
    case Step::RefreshPreview:
      ORV_TRACE_LOCATION();
      RefreshPreview();
      break;
    case Step::FreeCapture:
      ORV_TRACE_LOCATION();
      Images::Free(ImageId::Capture);
      break;
    case Step::FreePrintImage:
      ORV_TRACE_LOCATION();
      Images::Free(ImageId::PrintImage);
      break;
    case Step::FreeBackupImage:
      ORV_TRACE_LOCATION();
      Images::Free(ImageId::BackupImage);
      break;
    case Step::ToggleFitToPaper:
      ORV_TRACE_LOCATION();
      FollowFitToPaperToggle();
      break;
    case Step::OpenPrintersFolder:
      ORV_TRACE_LOCATION();
      OpenPrintersFolder();
      break;
    case Step::CopyBackupToCapture:
      ORV_TRACE_LOCATION();
      CopyBackupToCapture();
      break;
    case Step::CopyToClipboard:
      ORV_TRACE_LOCATION();
      CopyToClipboard();
      break;
    case Step::OpenInPaint:
      ORV_TRACE_LOCATION();
      OpenInPaint();
      break;
    case Step::SaveCaptureToFile:
      ORV_TRACE_LOCATION();
      SaveCaptureToFile();
      break;
    case Step::PrintWithDialog:
      ORV_TRACE_LOCATION();
      PrintCapture(false);
      break;
    case Step::PrintToDefault:
      ORV_TRACE_LOCATION();
      PrintCapture(true);
      break;
    case Step::RotateCapture:
      ORV_TRACE_LOCATION();
      RotateImage(ImageId::Capture);
      break;
    case Step::MakeNegative:
      ORV_TRACE_LOCATION();
      MakeImageNegative(ImageId::Capture);
      break;
    case Step::MakeGrey:
      ORV_TRACE_LOCATION();
      MakeImageGrey(ImageId::Capture);
      break;
    case Step::OpenHelp:
      ORV_TRACE_LOCATION();
      OpenHelpDocument();
      break;
    case Step::OpenDonate:
      ORV_TRACE_LOCATION();
      OpenDonatePage();
      break;
    case Step::OpenMoreTools:
      ORV_TRACE_LOCATION();
      OpenMoreToolsPage();
      break;
    case Step::ShowInformation:
      ORV_TRACE_LOCATION();
      ShowInformation();
      break;
    case Step::OpenAboutWindow:
      ORV_TRACE_LOCATION();
      OpenAboutWindow();
      break;
    case Step::CloseAboutWindow:
      ORV_TRACE_LOCATION();
      CloseAboutWindow();
      break;
    case Step::OpenAboutLink:
      ORV_TRACE_LOCATION();
      OpenAboutLink();
      break;
    case Step::ResetWindowPick:
      ORV_TRACE_LOCATION();
      ResetWindowPick();
      break;
    case Step::OpenSelectionOverlay:
      ORV_TRACE_LOCATION();
      OpenSelectionOverlay();
      break;
    case Step::OverlayPointerMove:
      ORV_TRACE_LOCATION();
      OnOverlayPointerMove();
      break;
    case Step::OverlayLeftPress:
      ORV_TRACE_LOCATION();
      OnOverlayLeftPress();
      break;
    case Step::OverlayLeftRelease:
      ORV_TRACE_LOCATION();
      // Only a release that made a capture goes on to the preview.
      return OnOverlayLeftRelease() ? StepOutcome::Next : StepOutcome::EndRow;
  }
  return StepOutcome::Next;
}

void ApplyPointerShape(const Event& event) {
  const AppState& app = App();
  switch (PointerFor(event, app.captureMode)) {
    case PointerShape::Cross:
      SetCursor(app.crossCursor);
      break;
    case PointerShape::Hand:
      SetCursor(app.handCursor);
      break;
    case PointerShape::Unchanged:
      break;
  }
}

}  // namespace

void QueueEvent(const Event& event) {
  events.push_back(event);
}

void RegisterWindow(WindowId id, HWND window) {
  windows[id] = window;
}
void UnregisterWindow(WindowId id) {
  windows.erase(id);
  escapeBindings.erase(id);
}
void BindEscapeKey(WindowId window, CommandId command) {
  escapeBindings[window] = command;
}
HWND WindowHandle(WindowId id) {
  const auto found = windows.find(id);
  return found == windows.end() ? nullptr : found->second;
}

bool CreateMainWindow() {
  AppState& app = App();
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  win::RegisterWindowClass(
      {kMainWindowClass, MainWindowProc, Icon(ImageId::AppIcon), app.arrowCursor});

  RECT frame{0, 0, Scaled(300, app.DpiScale), Scaled(200, app.DpiScale)};
  AdjustWindowRectEx(&frame, kMainWindowStyle, FALSE, 0);
  const HWND window = CreateWindowExW(
      0, kMainWindowClass, Text(L"#Program_Name").c_str(), kMainWindowStyle, 0, 0,
      frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
  if (!window) return false;
  RegisterWindow(WindowId::Main, window);
  taskbarCreatedMessage = RegisterWindowMessageW(L"TaskbarCreated");
  return true;
}

void RunEventLoop() {
  Event event;
  while (WaitForEvent(event)) {
    ApplyPointerShape(event);
    for (const Step step : Route(event)) {
      const StepOutcome outcome = RunStep(step);
      if (outcome == StepOutcome::EndLoop) return;
      if (outcome == StepOutcome::EndRow) break;
    }
  }
}

void DestroyProgramWindows() {
  CloseSelectionOverlay();
  ClosePreviewWindow();
  CloseAboutWindow();
  Images::FreeAll();
  RemoveTrayIcon();
  if (const HWND window = WindowHandle(WindowId::Main)) {
    DestroyWindow(window);
    UnregisterWindow(WindowId::Main);
  }
  events.clear();
}

}  // namespace orv
