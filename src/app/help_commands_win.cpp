#include "app/help_commands_win.h"

#include <windows.h>

#include <string>

#include "app/help_path.h"
#include "app/information.h"
#include "base/fault_location.h"
#include "base/text_keys.h"
#include "base/text_table.h"
#include "win/shell.h"
#include "win/system.h"

namespace orv {

void OpenHelp(const std::wstring& programDir) {
  win::OpenWithShell(ResolveHelpTarget(Text(TextKey::HelpDocument), programDir));
}

void OpenDonate() {
  win::OpenWithShell(Text(TextKey::DonateAddress));
}

void OpenMoreTools() {
  win::OpenWithShell(Text(TextKey::MoreToolsAddress));
}

void ShowInformation(HWND mainWindow) {
  const std::wstring message = InformationMessage(Text);
  ORV_TRACE_LOCATION();
  win::ShowMessageBox(message, Text(TextKey::InformationCaption), MB_ICONINFORMATION);
  ORV_TRACE_LOCATION();
  win::ShowFileProperties(mainWindow, win::ModuleFileName(), Text(TextKey::SignaturesPage));
}

}  // namespace orv
