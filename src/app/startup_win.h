// The program from start-up to shutdown.
#pragma once

namespace orv {

// Sets up the process-wide state, runs the event loop until the quit command, and undoes
// everything in order; returns the exit code (always 0).
int RunProgram();

}  // namespace orv
