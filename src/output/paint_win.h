// The capture in the system's paint program: written to a date-stamped temporary bitmap, the
// program started on it, and the file deleted two seconds later.
#pragma once

namespace orv {

// Writes the temporary bitmap, releases the capture and its backup, starts the paint program,
// waits two seconds and deletes the file. Nothing in it is reported to the user.
void OpenInPaint();

}  // namespace orv
