// The autostart value in the current user's Run key.
#pragma once

namespace orv {

// Makes the Run key match LoadOnWindowsStart; failures are silent.
void ApplyAutostart();

}  // namespace orv
