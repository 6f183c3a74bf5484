// The autostart value in the current user's Run key.
#pragma once

#include "settings/settings.h"

namespace orv {

// Makes the Run key match the settings' LoadOnWindowsStart; failures are silent.
void ApplyAutostart(const Settings& settings);

}  // namespace orv
