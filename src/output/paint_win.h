// The capture in the system's paint program: written to a date-stamped temporary bitmap and the
// program started on it. The bitmap is kept until this program quits, however long the paint
// program takes to open it, and for good once the user has changed it there.
#pragma once

namespace orv {

// Writes the temporary bitmap, releases the capture and its backup and starts the paint program.
// A bitmap no paint program could be started on goes at once. Nothing in it is reported to the
// user.
void OpenInPaint();

// At quit: deletes the bitmaps handed to the paint program in this run that are still as this
// program wrote them. One the user saved a change into is the user's, and stays.
void RemovePaintBitmaps();

// At start-up: deletes the temporary bitmaps an earlier run left in the temporary folder (it did
// not quit normally) that are still as it wrote them, and nothing else there.
void RemoveLeftoverPaintBitmaps();

}  // namespace orv
