// The system-wide Print Screen hook that turns key combinations into capture commands.
#pragma once

namespace orv {

// Installs the low-level keyboard hook; a failure leaves captures to the tray menu.
void InstallKeyboardHook();

}  // namespace orv
