// The program from start-up to shutdown.
#pragma once

namespace orv {

// Makes the application, the selection overlay and the capture under review, runs the event loop
// on them until the quit command, and undoes everything in order; returns the exit code (always
// 0).
int RunProgram();

}  // namespace orv
