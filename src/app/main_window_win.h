// The hidden main window (window 1) and the tray icon it owns: the target of the tray icon's
// notifications, of the tray menu's commands, of the commands the keyboard hook posts and of the
// capture hot keys, the window that hears of unlocking, waking, a restarted taskbar and the end
// of the session, and the owner of what the program puts on the clipboard. What it hears of the
// icon, the menu and the keys it queues as events.
#pragma once

#include <windows.h>

#include <functional>

#include "app/tray_win.h"
#include "capture/keyboard_hook_win.h"
#include "events/event_queue.h"
#include "output/clipboard_win.h"
#include "win/window_base.h"
#include "window_kit/resources_win.h"

namespace orv {

class MainWindow final : public win::WindowBase {
 public:
  // The clipboard's picture answers the requests for its delayed forms, which come to the
  // clipboard's owner, this window.
  MainWindow(EventQueue& events, const Resources& resources, ClipboardPicture& clipboard)
      : events_(events), resources_(resources), clipboard_(clipboard), tray_(resources) {}
  ~MainWindow() { Destroy(); }

  // Creates the window (client DpiScale x 300 by 200, never shown); false when it cannot be
  // created. The keyboard hook, which outlives the window, is installed afresh once a minute,
  // when the session is unlocked or the machine wakes, and after a capture hot key fired (Windows
  // removes a hook that kept it waiting too long, without a word). At the end of the session
  // (log off, shut down) endSession does what quitting does.
  bool Create(const KeyboardHook& keyboardHook, std::function<void()> endSession);
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
  ClipboardPicture& clipboard_;
  TrayIcon tray_;
  const KeyboardHook* keyboardHook_ = nullptr;
  std::function<void()> endSession_;
  UINT taskbarCreatedMessage_ = 0;
  bool watchingSession_ = false;
  int sessionTriesLeft_ = 0;
};

}  // namespace orv
