// The hidden main window (window 1) and the tray icon it owns: the target of the tray icon's
// notifications, of the tray menu's commands, of the commands the keyboard hook posts and of the
// capture hot keys, and the window that hears of unlocking, waking, a restarted taskbar and the
// end of the session. What it hears of the icon, the menu and the keys it queues as events.
#pragma once

#include <windows.h>

#include "app/tray_win.h"
#include "capture/keyboard_hook_win.h"
#include "runtime/event_queue.h"
#include "runtime/folders.h"
#include "runtime/resources_win.h"
#include "runtime/settings.h"
#include "win/window_base.h"

namespace orv {

class MainWindow final : public win::WindowBase {
 public:
  // At the end of the session it keeps what the quit command would keep: the autostart value of
  // settings and the settings themselves, in the folders' preferences file.
  MainWindow(EventQueue& events, const Resources& resources, const Settings& settings,
             const Folders& folders)
      : events_(events),
        resources_(resources),
        settings_(settings),
        folders_(folders),
        tray_(resources) {}
  ~MainWindow() { Destroy(); }

  // Creates the window (client DpiScale x 300 by 200, never shown); false when it cannot be
  // created. The keyboard hook is installed afresh when the session is unlocked or the machine
  // wakes; it outlives the window.
  bool Create(const KeyboardHook& keyboardHook);
  // Removes the tray icon and destroys the menu and the window.
  void Destroy();

  TrayIcon& Tray() { return tray_; }

 private:
  LRESULT Answer(UINT message, WPARAM wParam, LPARAM lParam) override;
  void AnswerHotKey(WPARAM id);
  void AnswerTimer(WPARAM id);
  void QueueCommand(CommandId command);
  // Asks for the session's lock and unlock notices; false while the service that sends them
  // has not started yet (at logon), when a timer tries again.
  bool WatchSession();

  EventQueue& events_;
  const Resources& resources_;
  const Settings& settings_;
  const Folders& folders_;
  TrayIcon tray_;
  const KeyboardHook* keyboardHook_ = nullptr;
  UINT taskbarCreatedMessage_ = 0;
  bool watchingSession_ = false;
  int sessionTriesLeft_ = 0;
};

}  // namespace orv
