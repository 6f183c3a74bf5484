// The fatal-error report: an unhandled fault shows a report, may copy it, and ends the program.
#pragma once

#include <functional>

namespace orv {

// Makes the report the process's unhandled-exception filter and keeps stack in reserve on the
// calling (user-interface) thread so that the report can still run after a stack overflow.
// releaseProgramObjects is what the report calls before the process ends; it must put the earlier
// filter back with ReleaseFaultHandler, as the shell's release of every object does.
void InstallFaultHandler(std::function<void()> releaseProgramObjects);
// Puts back the unhandled-exception filter that was in place before InstallFaultHandler.
void ReleaseFaultHandler();

// Shows the report of the recorded fault, copies it to the clipboard when the user says yes,
// releases the program's objects and ends the process with exit code 0. Nothing is saved: the
// keyboard hook stays, autostart is not applied and the preferences are not written.
[[noreturn]] void ReportFatalError();

}  // namespace orv
