// Region and window selection on the selection overlay: the handlers of its pointer events,
// which draw the feedback and, on the left-button release, cut the capture image out of the
// frozen screen.
#pragma once

namespace orv {

// The window command forgets the last highlighted window and its rectangles, and looks up the
// desktop's icon view, which is never picked.
void ResetWindowPick();

void OnOverlayPointerMove();
void OnOverlayLeftPress();
// True when the release made a new capture image, which the event loop then previews. A
// region release without a press in this overlay is ignored and leaves the overlay open; a
// window release before any window was highlighted closes the overlay and captures nothing.
bool OnOverlayLeftRelease();

}  // namespace orv
