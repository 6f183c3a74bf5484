// Help, web pages and the information box: tray commands that hand a document or an address to
// the shell, or explain the program file's signature and show it. Each returns at once.
#pragma once

namespace orv {

// The help document; a plain file name is looked for beside the program, not in whatever
// folder happens to be current.
void OpenHelpDocument();
void OpenDonatePage();
void OpenMoreToolsPage();

// The information box, then the properties of the program file on its signature page.
void ShowInformation();

}  // namespace orv
