// Help, web pages and the information box: tray commands that hand a document or an address to
// the shell, or explain the program file's signature and show it. Each returns at once.
#pragma once

#include <windows.h>

#include <string>

namespace orv {

// The help document; a plain file name is looked for in the program folder, not in whatever
// folder happens to be current.
void OpenHelp(const std::wstring& programDir);
void OpenDonate();
void OpenMoreTools();

// The information box, then the properties of the program file on its signature page, owned by
// the main window.
void ShowInformation(HWND mainWindow);

}  // namespace orv
