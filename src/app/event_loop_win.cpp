#include "app/event_loop_win.h"

#include <deque>
#include <map>

#include "app/app_state_win.h"
#include "app/images_win.h"
#include "app/scale.h"
#include "app/text_table.h"
#include "app/tray_win.h"
#include "capture/screen_grab_win.h"
#include "capture/selection_overlay_win.h"
#include "capture/selection_win.h"
#include "imaging/transforms_win.h"
#include "output/preview_window_win.h"
#include "settings/autostart_win.h"
#include "settings/preferences_win.h"
#include "win/system.h"

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
    MSG message;
    if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) return false;
      if (TranslateEscapeKey(message)) continue;
      TranslateMessage(&message);
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

StepOutcome RunStep(Step step) {
  AppState& app = App();
  switch (step) {
    case Step::SetAutostartCheckFromSetting:
      SetAutostartCheck(app.settings.LoadOnWindowsStart == 1);
      break;
    case Step::ShowTrayMenu:
      ShowTrayMenu();
      break;
    case Step::SetModeRegion:
      return StartCapture(CaptureMode::ModeRegion);
    case Step::SetModeScreen:
      return StartCapture(CaptureMode::ModeScreen);
    case Step::SetModeWindow:
      return StartCapture(CaptureMode::ModeWindow);
    case Step::PauseBeforeCapture:
      win::Pause(300);
      break;
    case Step::ToggleAutostartCheck: {
      const bool checked = IsAutostartChecked();
      app.settings.LoadOnWindowsStart = checked ? 0 : 1;
      SetAutostartCheck(!checked);
      break;
    }
    case Step::ApplyAutostart:
      ApplyAutostart();
      break;
    case Step::SavePreferences:
      SavePreferences();
      break;
    case Step::Quit:
      return StepOutcome::EndLoop;
    case Step::CaptureFullScreen:
      CaptureFullScreen();
      break;
    case Step::OpenPreviewWindow:
      OpenPreviewWindow();
      break;
    case Step::ClosePreviewWindow:
      ClosePreviewWindow();
      break;
    case Step::RefreshPreview:
      RefreshPreview();
      break;
    case Step::FreeCapture:
      Images::Free(ImageId::Capture);
      break;
    case Step::FreePrintImage:
      Images::Free(ImageId::PrintImage);
      break;
    case Step::FreeBackupImage:
      Images::Free(ImageId::BackupImage);
      break;
    case Step::ToggleFitToPaper:
      FollowFitToPaperToggle();
      break;
    case Step::OpenPrintersFolder:
      OpenPrintersFolder();
      break;
    case Step::CopyBackupToCapture:
      CopyBackupToCapture();
      break;
    case Step::RotateCapture:
      RotateImage(ImageId::Capture);
      break;
    case Step::MakeNegative:
      MakeImageNegative(ImageId::Capture);
      break;
    case Step::MakeGrey:
      MakeImageGrey(ImageId::Capture);
      break;
    case Step::ResetWindowPick:
      ResetWindowPick();
      break;
    case Step::OpenSelectionOverlay:
      OpenSelectionOverlay();
      break;
    case Step::OverlayPointerMove:
      OnOverlayPointerMove();
      break;
    case Step::OverlayLeftPress:
      OnOverlayLeftPress();
      break;
    case Step::OverlayLeftRelease:
      // Only a release that made a capture goes on to the preview.
      return OnOverlayLeftRelease() ? StepOutcome::Next : StepOutcome::EndRow;
    // Steps whose modules arrive later; each line names what the step will do.
    case Step::OpenHelp:           // open the help document
    case Step::OpenDonate:         // open the donation page
    case Step::OpenMoreTools:      // open the more-tools page
    case Step::OpenAboutWindow:    // show the about window
    case Step::ShowInformation:    // information box, then the signature page
    case Step::CopyToClipboard:    // put the capture on the clipboard
    case Step::PrintWithDialog:    // print after the print dialog
    case Step::PrintToDefault:     // print on the default printer
    case Step::OpenInPaint:        // open the capture in the paint program
    case Step::SaveCaptureToFile:  // save the capture to an image file
    case Step::CloseAboutWindow:   // close the about window
    case Step::OpenAboutLink:      // open the web address of the about window
      break;
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
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = MainWindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = Icon(ImageId::AppIcon);
  windowClass.hCursor = app.arrowCursor;
  windowClass.lpszClassName = kMainWindowClass;
  RegisterClassExW(&windowClass);

  RECT frame{0, 0, Scaled(300, app.DpiScale), Scaled(200, app.DpiScale)};
  AdjustWindowRectEx(&frame, kMainWindowStyle, FALSE, 0);
  app.mainWindow = CreateWindowExW(0, kMainWindowClass, Text(L"#Program_Name").c_str(),
                                   kMainWindowStyle, 0, 0, frame.right - frame.left,
                                   frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
  if (!app.mainWindow) return false;
  RegisterWindow(WindowId::Main, app.mainWindow);
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
  Images::FreeAll();
  RemoveTrayIcon();
  AppState& app = App();
  if (app.mainWindow) {
    DestroyWindow(app.mainWindow);
    UnregisterWindow(WindowId::Main);
    app.mainWindow = nullptr;
  }
  events.clear();
}

}  // namespace orv
