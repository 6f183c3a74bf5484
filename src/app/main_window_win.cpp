#include "app/main_window_win.h"

#include <wtsapi32.h>

#include <optional>
#include <utility>

#include "base/scale.h"
#include "base/text_keys.h"
#include "base/text_table.h"
#include "capture/keyboard_hook_win.h"
#include "runtime/app_state_win.h"
#include "settings/autostart_win.h"
#include "settings/preferences_win.h"
#include "win/window_class.h"

namespace orv {
namespace {

constexpr wchar_t kClassName[] = L"OrvantaMain";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;

// Tries again to ask for the session's notices, every two seconds for two minutes: at logon the
// program may start before the service that sends them.
constexpr UINT_PTR kSessionRetryTimer = kTrayRetryTimer + 1;
constexpr UINT kSessionRetryInterval = 2000;
constexpr int kSessionRetries = 60;

// The tray icon's mouse notifications that become tray events; any other is ignored.
constexpr std::pair<UINT, TrayEventType> kTrayNotifications[] = {
    {WM_LBUTTONDOWN, TrayEventType::LeftPress},
    {WM_RBUTTONDOWN, TrayEventType::RightPress},
    {WM_LBUTTONDBLCLK, TrayEventType::LeftDoubleClick},
    {WM_RBUTTONDBLCLK, TrayEventType::RightDoubleClick},
};

void QueueCommand(int command) {
  App().Events.Queue({EventKind::Command, static_cast<int>(WindowId::Main), command});
}

void QueueTrayEvent(UINT notification) {
  for (const auto& [message, type] : kTrayNotifications) {
    if (message == notification)
      App().Events.Queue({EventKind::Tray, 0, 0, static_cast<int>(type)});
  }
}

}  // namespace

bool MainWindow::Create(const KeyboardHook& keyboardHook) {
  keyboardHook_ = &keyboardHook;
  AppState& app = App();
  win::RegisterWindowClass({kClassName, Procedure, Icon(ImageId::AppIcon), app.ArrowCursor});
  RECT frame{0, 0, Scaled(300, app.DpiScale), Scaled(200, app.DpiScale)};
  AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
  window_.reset(CreateWindowExW(0, kClassName, Text(TextKey::ProgramName).c_str(), kStyle, 0, 0,
                                frame.right - frame.left, frame.bottom - frame.top, nullptr,
                                nullptr, GetModuleHandleW(nullptr), this));
  if (!window_) return false;
  app.Events.RegisterWindow(WindowId::Main, window_.get());
  SetKeyboardHookTarget(window_.get());
  taskbarCreatedMessage_ = RegisterWindowMessageW(L"TaskbarCreated");
  // A program running as administrator gets no message from the lower-privileged taskbar unless
  // it lets it through: without it, the icon would not come back after the taskbar restarts.
  if (taskbarCreatedMessage_ != 0) {
    ChangeWindowMessageFilterEx(window_.get(), taskbarCreatedMessage_, MSGFLT_ALLOW, nullptr);
  }
  if (!WatchSession() &&
      SetTimer(window_.get(), kSessionRetryTimer, kSessionRetryInterval, nullptr) != 0) {
    sessionTriesLeft_ = kSessionRetries;
  }
  return true;
}

bool MainWindow::WatchSession() {
  watchingSession_ =
      WTSRegisterSessionNotification(window_.get(), NOTIFY_FOR_THIS_SESSION) != FALSE;
  return watchingSession_;
}

void MainWindow::Destroy() {
  tray_.Remove();
  if (window_) {
    if (watchingSession_) WTSUnRegisterSessionNotification(window_.get());
    watchingSession_ = false;
    if (sessionTriesLeft_ > 0) KillTimer(window_.get(), kSessionRetryTimer);
    sessionTriesLeft_ = 0;
    SetKeyboardHookTarget(nullptr);
    App().Events.UnregisterWindow(WindowId::Main);
    window_.reset();
  }
}

LRESULT CALLBACK MainWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  return self ? self->Answer(window, message, wParam, lParam)
              : DefWindowProcW(window, message, wParam, lParam);
}

void MainWindow::AnswerHotKey(HWND window, WPARAM id) {
  const std::optional<CommandId> command = CaptureHotKeyCommand(id);
  if (!command) return;
  // A hot key gives the program the right to the foreground until the next input, even over an
  // administrator's window; taken at once, it lets the capture's windows come to the front.
  SetForegroundWindow(window);
  QueueCommand(static_cast<int>(*command));
}

void MainWindow::AnswerTimer(HWND window, WPARAM id) {
  if (id == kTrayRetryTimer) tray_.RetryAdd();  // the shell refused the icon: one more try
  if (id == kSessionRetryTimer && (WatchSession() || --sessionTriesLeft_ <= 0)) {
    KillTimer(window, kSessionRetryTimer);
    sessionTriesLeft_ = 0;
  }
}

LRESULT MainWindow::Answer(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (lParam != 0) break;
      QueueCommand(LOWORD(wParam));  // menu choices and the hook's commands take one road
      return 0;
    case WM_HOTKEY:
      AnswerHotKey(window, wParam);
      return 0;
    case WM_TIMER:
      AnswerTimer(window, wParam);
      return 0;
    // Windows may have removed the keyboard hook while the session was locked or the machine
    // slept (a hook that keeps it waiting too long goes for good, without a word).
    case WM_WTSSESSION_CHANGE:
      if (wParam == WTS_SESSION_UNLOCK) keyboardHook_->Reinstall();
      return 0;
    case WM_POWERBROADCAST:
      if (wParam == PBT_APMRESUMEAUTOMATIC) keyboardHook_->Reinstall();
      return TRUE;
    case WM_ENDSESSION:
      // Windows ends the process as soon as this returns, at logoff or shutdown: keep what the
      // quit command would keep (the autostart value and the settings changed in this run).
      // Done here, not through the queue, because the loop never gets another turn.
      if (wParam) {
        ApplyAutostart();
        SavePreferences();
      }
      return 0;
    case WM_CLOSE:
      return 0;  // the main window ends only through the quit command
    default:
      break;
  }
  if (message == kTrayCallbackMessage) {
    QueueTrayEvent(LOWORD(lParam));
    return 0;
  }
  if (message == taskbarCreatedMessage_ && taskbarCreatedMessage_ != 0) {
    // A restarted taskbar forgets every icon; without ours the program has no visible way in.
    tray_.Restore();
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace orv
