// The fatal-error report: an unhandled fault shows a report, may copy it, and ends the program.
#pragma once

namespace orv {

void InstallFaultHandler();
// Puts back the unhandled-exception filter that was in place before InstallFaultHandler.
void ReleaseFaultHandler();

}  // namespace orv
