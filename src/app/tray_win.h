// The notification-area icon and its menu.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include "win/unique_handle.h"

namespace orv {

class TrayIcon {
 public:
  TrayIcon() = default;
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;
  ~TrayIcon() { Remove(); }

  // Adds the icon (with its tooltip), whose notifications go to owner, and builds the menu.
  void Create(HWND owner);
  // Adds the icon again after the taskbar was restarted.
  void Restore() { AddIcon(); }
  // Removes the icon from the notification area and destroys the menu.
  void Remove();

  void SetAutostartCheck(bool checked);
  bool IsAutostartChecked() const;
  // Shows the menu at the pointer; the chosen item arrives as a command event.
  void ShowMenu();

 private:
  NOTIFYICONDATAW IconData() const;
  void AddIcon();

  HWND owner_ = nullptr;
  win::UniqueMenu menu_;
  bool iconAdded_ = false;
};

}  // namespace orv
