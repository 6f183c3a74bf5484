#include "app/tray_win.h"

#include <algorithm>

#include "app/tray_text.h"
#include "base/text_keys.h"
#include "base/text_table.h"
#include "win/dpi.h"
#include "win/system.h"

namespace orv {
namespace {

// A refused icon is tried again every two seconds, five times: the shell has ten seconds to
// finish starting.
constexpr UINT kRetryInterval = 2000;
constexpr int kRetries = 5;

}  // namespace

NOTIFYICONDATAW TrayIcon::IconData() const {
  NOTIFYICONDATAW data{};
  // The full record of Windows Vista and later: 976 bytes in a 64-bit program, 956 in a 32-bit.
  static_assert(sizeof(data) == (sizeof(void*) == 8 ? 976 : 956));
  data.cbSize = sizeof(data);
  data.hWnd = owner_;
  data.uID = kTrayIconId;
  return data;
}

void TrayIcon::AddIcon() {
  NOTIFYICONDATAW data = IconData();
  data.uFlags = NIF_MESSAGE | NIF_ICON;
  data.uCallbackMessage = kTrayCallbackMessage;
  // The shell shows the icon at the small-icon size of the monitor it is on, the primary one.
  icon_ = win::LoadIconResource(static_cast<int>(IconId::App), win::PrimarySmallIconSize());
  data.hIcon = icon_ ? icon_.get() : resources_.Icon(IconId::App);
  // A busy shell may add the icon after the call has already given up waiting for it: then the
  // icon is there, and only a change of it succeeds.
  iconAdded_ =
      Shell_NotifyIconW(NIM_ADD, &data) != FALSE || Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
  if (!iconAdded_) return;  // tried again later; meanwhile the hook still works

  data = IconData();
  data.uFlags = NIF_TIP;
  const std::wstring tip = TrayTooltip(Text(TextKey::TrayTip));
  std::copy(tip.begin(), tip.end(), data.szTip);
  Shell_NotifyIconW(NIM_MODIFY, &data);
}

void TrayIcon::Show() {
  iconAdded_ = false;
  AddIcon();
  if (iconAdded_) {
    KillTimer(owner_, kTrayRetryTimer);  // an earlier round of tries may still be going
    retriesLeft_ = 0;
  } else if (SetTimer(owner_, kTrayRetryTimer, kRetryInterval, nullptr) != 0) {
    retriesLeft_ = kRetries;
  }
}

void TrayIcon::Create(HWND owner) {
  owner_ = owner;
  Show();
  menu_.reset(CreatePopupMenu());
  if (!menu_) return;  // a right press then shows nothing
  for (const TrayMenuItem& item : kTrayMenuItems) {
    if (item.textKey.empty()) {
      AppendMenuW(menu_.get(), MF_SEPARATOR, 0, nullptr);
    } else {
      AppendMenuW(menu_.get(), MF_STRING, static_cast<UINT_PTR>(item.command),
                  Text(item.textKey).c_str());
    }
  }
}

void TrayIcon::RetryAdd() {
  if (!iconAdded_ && retriesLeft_ > 0) {
    --retriesLeft_;
    AddIcon();
  }
  if (iconAdded_ || retriesLeft_ == 0) {
    KillTimer(owner_, kTrayRetryTimer);
    retriesLeft_ = 0;
  }
}

void TrayIcon::Remove() {
  if (retriesLeft_ > 0) {
    KillTimer(owner_, kTrayRetryTimer);
    retriesLeft_ = 0;
  }
  if (iconAdded_) {
    NOTIFYICONDATAW data = IconData();
    Shell_NotifyIconW(NIM_DELETE, &data);
    iconAdded_ = false;
  }
  icon_.reset();
  menu_.reset();
}

void TrayIcon::SetAutostartCheck(bool checked) {
  CheckMenuItem(menu_.get(), static_cast<UINT>(CommandId::ToggleAutostart),
                MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void TrayIcon::ShowMenu() {
  if (!menu_) return;
  POINT pointer{};
  GetCursorPos(&pointer);
  // The menu only closes on a click elsewhere when its owner is the foreground window.
  SetForegroundWindow(owner_);
  TrackPopupMenu(menu_.get(), TPM_RIGHTBUTTON, pointer.x - 1, pointer.y - 1, 0, owner_, nullptr);
  // Lets the menu close properly when it is dismissed (a known quirk of tray menus).
  PostMessageW(owner_, WM_NULL, 0, 0);
}

}  // namespace orv
