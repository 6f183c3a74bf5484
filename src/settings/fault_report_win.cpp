#include "settings/fault_report_win.h"

namespace orv {

void InstallFaultHandler() {
  // Registers the report as the unhandled-exception filter once the report exists; until then a
  // fault ends the process the system's way.
}

void ReleaseFaultHandler() {
  // Restores the earlier filter once InstallFaultHandler replaces it.
}

}  // namespace orv
