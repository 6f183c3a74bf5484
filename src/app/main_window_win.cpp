#include "app/main_window_win.h"

#include <wtsapi32.h>

#include <optional>
#include <utility>

#include "base/scale.h"
#include "base/text_keys.h"
#include "base/text_table.h"
#include "capture/keyboard_hook_win.h"
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

// Installs the keyboard hook afresh once a minute: Windows removes a hook that kept it waiting too
// long without telling the program (a busy or sleeping machine), and a hot key that fires shows
// only a lost hook of the combinations, not one lost while none of them is pressed.
constexpr UINT_PTR kHookRenewalTimer = kSessionRetryTimer + 1;
constexpr UINT kHookRenewalInterval = 60 * 1000;

// The tray icon's mouse notifications that become tray events; any other is ignored.
constexpr std::pair<UINT, TrayEventType> kTrayNotifications[] = {
    {WM_LBUTTONDOWN, TrayEventType::LeftPress},
    {WM_RBUTTONDOWN, TrayEventType::RightPress},
    {WM_LBUTTONDBLCLK, TrayEventType::LeftDoubleClick},
    {WM_RBUTTONDBLCLK, TrayEventType::RightDoubleClick},
};

}  // namespace

bool MainWindow::Create(const KeyboardHook& keyboardHook, std::function<void()> endSession) {
  keyboardHook_ = &keyboardHook;
  endSession_ = std::move(endSession);
  RECT frame{0, 0, Scaled(300, resources_.DpiScale), Scaled(200, resources_.DpiScale)};
  AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
  frame = {0, 0, frame.right - frame.left, frame.bottom - frame.top};
  if (!WindowBase::Create({kClassName, resources_.Icon(IconId::App), resources_.ArrowCursor}, 0,
                          Text(TextKey::ProgramName), kStyle, frame)) {
    return false;
  }
  SetKeyboardHookTarget(Handle());
  taskbarCreatedMessage_ = RegisterWindowMessageW(L"TaskbarCreated");
  // A program running as administrator gets no message from the lower-privileged taskbar unless
  // it lets it through: without it, the icon would not come back after the taskbar restarts.
  if (taskbarCreatedMessage_ != 0) {
    ChangeWindowMessageFilterEx(Handle(), taskbarCreatedMessage_, MSGFLT_ALLOW, nullptr);
  }
  if (!WatchSession() &&
      SetTimer(Handle(), kSessionRetryTimer, kSessionRetryInterval, nullptr) != 0) {
    sessionTriesLeft_ = kSessionRetries;
  }
  SetTimer(Handle(), kHookRenewalTimer, kHookRenewalInterval, nullptr);  // none: the keys stay
  return true;
}

bool MainWindow::WatchSession() {
  watchingSession_ = WTSRegisterSessionNotification(Handle(), NOTIFY_FOR_THIS_SESSION) != FALSE;
  return watchingSession_;
}

void MainWindow::Destroy() {
  tray_.Remove();
  if (!IsOpen()) return;
  if (watchingSession_) WTSUnRegisterSessionNotification(Handle());
  watchingSession_ = false;
  if (sessionTriesLeft_ > 0) KillTimer(Handle(), kSessionRetryTimer);
  sessionTriesLeft_ = 0;
  KillTimer(Handle(), kHookRenewalTimer);
  SetKeyboardHookTarget(nullptr);
  WindowBase::Destroy();
}

void MainWindow::QueueCommand(CommandId command) {
  events_.Queue(CommandEvent{.window = WindowId::Main, .command = command});
}

void MainWindow::AnswerHotKey(WPARAM id) {
  const std::optional<CommandId> command = CaptureHotKeyCommand(id);
  if (!command) return;
  // A hot key gives the program the right to the foreground until the next input, even over an
  // administrator's window; taken at once, it lets the capture's windows come to the front.
  SetForegroundWindow(Handle());
  QueueCommand(*command);
  // Where the hook is called it swallows the press, so a hot key means it was not: an
  // administrator's window has the keyboard (a new hook changes nothing there), or Windows
  // removed the hook.
  keyboardHook_->Reinstall();
}

void MainWindow::AnswerTimer(WPARAM id) {
  if (id == kTrayRetryTimer) tray_.RetryAdd();  // the shell refused the icon: one more try
  if (id == kSessionRetryTimer && (WatchSession() || --sessionTriesLeft_ <= 0)) {
    KillTimer(Handle(), kSessionRetryTimer);
    sessionTriesLeft_ = 0;
  }
  if (id == kHookRenewalTimer) keyboardHook_->Reinstall();
}

LRESULT MainWindow::Answer(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (lParam != 0) break;
      // Menu choices and the hook's commands take one road.
      QueueCommand(static_cast<CommandId>(LOWORD(wParam)));
      return 0;
    case WM_HOTKEY:
      AnswerHotKey(wParam);
      return 0;
    case WM_TIMER:
      AnswerTimer(wParam);
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
      // Windows ends the process as soon as this returns, at logoff or shutdown. Done here, not
      // through the queue, because the loop never gets another turn.
      if (wParam && endSession_) endSession_();
      return 0;
    // A program that asks for a delayed form of the clipboard waits in GetClipboardData until it
    // is placed: made here, at once, not through the queue.
    case WM_RENDERFORMAT:
      clipboard_.RenderFormat(static_cast<UINT>(wParam));
      return 0;
    case WM_RENDERALLFORMATS:
      clipboard_.RenderAllFormats(Handle());
      return 0;
    case WM_DESTROYCLIPBOARD:
      clipboard_.Release();
      return 0;
    case WM_CLOSE:
      return 0;  // the main window ends only through the quit command
    default:
      break;
  }
  if (message == kTrayCallbackMessage) {
    for (const auto& [notification, type] : kTrayNotifications) {
      if (notification == LOWORD(lParam)) events_.Queue(TrayEvent{.type = type});
    }
    return 0;
  }
  if (message == taskbarCreatedMessage_ && taskbarCreatedMessage_ != 0) {
    // A restarted taskbar forgets every icon; without ours the program has no visible way in.
    tray_.Restore();
    return 0;
  }
  return DefWindowProcW(Handle(), message, wParam, lParam);
}

}  // namespace orv
