// The notification-area icon and its menu.
#pragma once

#include <windows.h>

namespace orv {

// Adds the tray icon (with its tooltip) and builds the tray menu, owned by the main window.
void CreateTrayIcon();
// Adds the icon again after the taskbar was restarted.
void RestoreTrayIcon();
// Removes the icon from the notification area and destroys the menu.
void RemoveTrayIcon();

void SetAutostartCheck(bool checked);
bool IsAutostartChecked();
// Shows the menu at the pointer; the chosen item arrives as a command event.
void ShowTrayMenu();

}  // namespace orv
