// The notification-area icon and its menu.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include "win/unique_handle.h"
#include "window_kit/resources_win.h"

namespace orv {

class TrayIcon {
 public:
  // The program's icon of resources stands in when no icon can be made for the primary
  // monitor's scale.
  explicit TrayIcon(const Resources& resources) : resources_(resources) {}
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;
  ~TrayIcon() { Remove(); }

  // Adds the icon (with its tooltip), whose notifications go to owner, and builds the menu.
  void Create(HWND owner);
  // Adds the icon again after the taskbar was restarted (it forgets every icon), drawn for the
  // scale the primary monitor has now.
  void Restore() { Show(); }
  // The retry timer went off: one more try, and the timer stops once the icon is there or the
  // tries are used up.
  void RetryAdd();
  // Removes the icon from the notification area and destroys the menu.
  void Remove();

  // The check mark of "start with Windows" shows the setting; set before the menu shows.
  void SetAutostartCheck(bool checked);
  // Shows the menu at the pointer; the chosen item arrives as a command event.
  void ShowMenu();

 private:
  NOTIFYICONDATAW IconData() const;
  // Adds the icon; when the shell refuses it (it is still starting, at logon or after a
  // restart), a timer of the owner (kTrayRetryTimer) has it tried again over some seconds.
  void Show();
  void AddIcon();

  const Resources& resources_;
  HWND owner_ = nullptr;
  win::UniqueMenu menu_;
  win::UniqueIcon icon_;
  bool iconAdded_ = false;
  int retriesLeft_ = 0;
};

// The owner's timer that tries to add a refused icon again.
inline constexpr UINT_PTR kTrayRetryTimer = 1;

}  // namespace orv
