// The about window (window 5): the program's name, version and rights notice, and the maker's
// address as a link. Its button and its link only queue control events; the event loop decides
// what they do.
#pragma once

namespace orv {

// Opens the about window centred on the screen; an open one is replaced.
void OpenAboutWindow();
// Closes it when it is open.
void CloseAboutWindow();
// Hands the address the about window shows to the shell.
void OpenAboutLink();

}  // namespace orv
