// The system-wide Print Screen hook that turns key combinations into capture commands.
#pragma once

#include "win/unique_handle.h"

namespace orv {

// Installs the low-level keyboard hook, which lasts as long as the handle returned; an empty
// handle (the hook could not be installed) leaves captures to the tray menu.
win::UniqueHook InstallKeyboardHook();

}  // namespace orv
