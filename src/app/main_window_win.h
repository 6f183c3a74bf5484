// The hidden main window (window 1) and the tray icon it owns: the target of the tray icon's
// notifications, of the tray menu's commands, of the commands the keyboard hook posts and of the
// capture hot keys, and the window that hears of unlocking, waking and a restarted taskbar.
#pragma once

#include <windows.h>

#include "app/tray_win.h"
#include "capture/keyboard_hook_win.h"
#include "win/unique_handle.h"

namespace orv {

class MainWindow {
 public:
  MainWindow() = default;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Creates the window (client DpiScale x 300 by 200, never shown) and registers it as window
  // 1; false when it cannot be created. The keyboard hook is installed afresh when the session
  // is unlocked or the machine wakes; it outlives the window.
  bool Create(const KeyboardHook& keyboardHook);
  // Removes the tray icon and destroys the menu and the window.
  void Destroy();

  TrayIcon& Tray() { return tray_; }
  HWND Handle() const { return window_.get(); }

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Answer(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void AnswerHotKey(HWND window, WPARAM id);
  void AnswerTimer(HWND window, WPARAM id);
  // Asks for the session's lock and unlock notices; false while the service that sends them
  // has not started yet (at logon), when a timer tries again.
  bool WatchSession();

  win::UniqueWindow window_;
  TrayIcon tray_;
  const KeyboardHook* keyboardHook_ = nullptr;
  UINT taskbarCreatedMessage_ = 0;
  bool watchingSession_ = false;
  int sessionTriesLeft_ = 0;
};

}  // namespace orv
