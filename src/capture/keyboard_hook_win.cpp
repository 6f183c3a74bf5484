#include "capture/keyboard_hook_win.h"

#include <windows.h>

#include "capture/hook_decision.h"
#include "runtime/app_state_win.h"

namespace orv {
namespace {

int AsyncKeyState(int virtualKey) {
  return GetAsyncKeyState(virtualKey);
}

// Runs on the event-loop thread while it waits for messages; it only decides and posts. The
// hook is installed before the main window exists: until then there is nowhere to post to, and
// the key passes on as if no combination had been pressed.
LRESULT CALLBACK KeyboardHookProc(int nCode, WPARAM wParam, LPARAM lParam) {
  const HWND target = App().Events.Window(WindowId::Main);
  if (nCode == HC_ACTION && target) {
    try {
      const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
      const auto command = DecidePrintScreenCommand(nCode, wParam, key->vkCode, AsyncKeyState);
      // Swallow the release only when the command is on its way.
      if (command && PostMessageW(target, WM_COMMAND, static_cast<WPARAM>(*command), 0) != FALSE) {
        return 1;
      }
    } catch (...) {
      // Nothing may unwind into the system's hook chain; the key simply passes on.
    }
  }
  return CallNextHookEx(nullptr, nCode, wParam, lParam);  // the hook handle is ignored there
}

}  // namespace

win::UniqueHook InstallKeyboardHook() {
  // A failure is not reported: captures stay available from the tray.
  return win::UniqueHook(
      SetWindowsHookExW(WH_KEYBOARD_LL, KeyboardHookProc, GetModuleHandleW(nullptr), 0));
}

}  // namespace orv
