// What assistive technology (screen readers, through Active Accessibility and UI Automation) is
// told a control is, where its window class would tell otherwise.
#pragma once

#include <windows.h>

namespace orv::win {

// Reports the control as an object of the given role (ROLE_SYSTEM_LINK, for example) instead of
// the one its class gives; nothing changes where the system's accessibility runtime is missing.
void SetAccessibleRole(HWND control, long role);
// Gives the control its class's role back; called before the control is destroyed, so that the
// system lets go of what it keeps for the role.
void ClearAccessibleRole(HWND control);

}  // namespace orv::win
