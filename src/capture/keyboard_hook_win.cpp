#include "capture/keyboard_hook_win.h"

namespace orv {

void InstallKeyboardHook() {
  // The Print Screen hook is installed here once the capture trigger exists; until then every
  // capture starts from the tray menu.
}

}  // namespace orv
