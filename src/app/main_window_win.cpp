#include "app/main_window_win.h"

#include <utility>

#include "base/scale.h"
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

// The tray icon's mouse notifications that become tray events; any other is ignored.
constexpr std::pair<UINT, TrayEventType> kTrayNotifications[] = {
    {WM_LBUTTONDOWN, TrayEventType::LeftPress},
    {WM_RBUTTONDOWN, TrayEventType::RightPress},
    {WM_LBUTTONDBLCLK, TrayEventType::LeftDoubleClick},
    {WM_RBUTTONDBLCLK, TrayEventType::RightDoubleClick},
};

void QueueTrayEvent(UINT notification) {
  for (const auto& [message, type] : kTrayNotifications) {
    if (message == notification)
      App().Events.Queue({EventKind::Tray, 0, 0, static_cast<int>(type)});
  }
}

}  // namespace

bool MainWindow::Create() {
  AppState& app = App();
  win::RegisterWindowClass({kClassName, Procedure, Icon(ImageId::AppIcon), app.ArrowCursor});
  RECT frame{0, 0, Scaled(300, app.DpiScale), Scaled(200, app.DpiScale)};
  AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
  window_.reset(CreateWindowExW(0, kClassName, Text(L"#Program_Name").c_str(), kStyle, 0, 0,
                                frame.right - frame.left, frame.bottom - frame.top, nullptr,
                                nullptr, GetModuleHandleW(nullptr), this));
  if (!window_) return false;
  app.Events.RegisterWindow(WindowId::Main, window_.get());
  SetKeyboardHookTarget(window_.get());
  taskbarCreatedMessage_ = RegisterWindowMessageW(L"TaskbarCreated");
  return true;
}

void MainWindow::Destroy() {
  tray_.Remove();
  if (window_) {
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

LRESULT MainWindow::Answer(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND && lParam == 0) {
    // Menu choices and the commands the keyboard hook posts take the same road.
    App().Events.Queue({EventKind::Command, static_cast<int>(WindowId::Main), LOWORD(wParam)});
    return 0;
  }
  if (message == kTrayCallbackMessage) {
    QueueTrayEvent(LOWORD(lParam));
    return 0;
  }
  if (message == WM_TIMER && wParam == kTrayRetryTimer) {
    tray_.RetryAdd();  // the shell refused the icon at start-up: one more try
    return 0;
  }
  if (message == taskbarCreatedMessage_ && taskbarCreatedMessage_ != 0) {
    // A restarted taskbar forgets every icon; without ours the program has no visible way in.
    tray_.Restore();
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

}  // namespace orv
