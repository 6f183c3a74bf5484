#include "app/tray_win.h"

#include <shellapi.h>

#include <algorithm>

#include "app/app_state_win.h"
#include "app/event_loop_win.h"
#include "app/text_table.h"
#include "app/tray_text.h"
#include "win/unique_handle.h"

namespace orv {
namespace {

win::UniqueMenu trayMenu;
bool iconAdded = false;

NOTIFYICONDATAW IconData() {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof(data);  // 956 bytes on 64-bit Windows: the full Vista-and-later record
  data.hWnd = WindowHandle(WindowId::Main);
  data.uID = kTrayIconId;
  return data;
}

void AddIcon() {
  NOTIFYICONDATAW data = IconData();
  data.uFlags = NIF_MESSAGE | NIF_ICON;
  data.uCallbackMessage = kTrayCallbackMessage;
  data.hIcon = Icon(ImageId::AppIcon);
  iconAdded = Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
  if (!iconAdded) return;  // the program runs on without an icon; the hook still works

  data = IconData();
  data.uFlags = NIF_TIP;
  const std::wstring tip = TrayTooltip(Text(L"#TXT00044"));
  std::copy(tip.begin(), tip.end(), data.szTip);
  Shell_NotifyIconW(NIM_MODIFY, &data);
}

}  // namespace

void CreateTrayIcon() {
  AddIcon();
  trayMenu.reset(CreatePopupMenu());
  if (!trayMenu) return;  // a right press then shows nothing
  for (const TrayMenuItem& item : kTrayMenuItems) {
    if (item.command == 0) {
      AppendMenuW(trayMenu.get(), MF_SEPARATOR, 0, nullptr);
    } else {
      AppendMenuW(trayMenu.get(), MF_STRING, item.command, Text(item.textKey).c_str());
    }
  }
}

void RestoreTrayIcon() {
  AddIcon();
}

void RemoveTrayIcon() {
  if (iconAdded) {
    NOTIFYICONDATAW data = IconData();
    Shell_NotifyIconW(NIM_DELETE, &data);
    iconAdded = false;
  }
  trayMenu.reset();
}

void SetAutostartCheck(bool checked) {
  CheckMenuItem(trayMenu.get(), static_cast<UINT>(CommandId::ToggleAutostart),
                MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

bool IsAutostartChecked() {
  const UINT state =
      GetMenuState(trayMenu.get(), static_cast<UINT>(CommandId::ToggleAutostart), MF_BYCOMMAND);
  return state != static_cast<UINT>(-1) && (state & MF_CHECKED);
}

void ShowTrayMenu() {
  if (!trayMenu) return;
  POINT pointer{};
  GetCursorPos(&pointer);
  const HWND owner = WindowHandle(WindowId::Main);
  // The menu only closes on a click elsewhere when its owner is the foreground window.
  SetForegroundWindow(owner);
  TrackPopupMenu(trayMenu.get(), TPM_RIGHTBUTTON, pointer.x - 1, pointer.y - 1, 0, owner, nullptr);
  // Lets the menu close properly when it is dismissed (a known quirk of tray menus).
  PostMessageW(owner, WM_NULL, 0, 0);
}

}  // namespace orv
