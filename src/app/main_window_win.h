// The hidden main window (window 1) and the tray icon it owns: the target of the tray icon's
// notifications, of the tray menu's commands and of the commands the keyboard hook posts.
#pragma once

#include <windows.h>

#include "app/tray_win.h"
#include "win/unique_handle.h"

namespace orv {

class MainWindow {
 public:
  MainWindow() = default;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Creates the window (client DpiScale x 300 by 200, never shown) and registers it as window
  // 1; false when it cannot be created.
  bool Create();
  // Removes the tray icon and destroys the menu and the window.
  void Destroy();

  TrayIcon& Tray() { return tray_; }
  HWND Handle() const { return window_.get(); }

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Answer(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  win::UniqueWindow window_;
  TrayIcon tray_;
  UINT taskbarCreatedMessage_ = 0;
};

}  // namespace orv
