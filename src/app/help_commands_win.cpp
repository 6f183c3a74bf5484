#include "app/help_commands_win.h"

#include <windows.h>

#include <string>

#include "app/help_path.h"
#include "app/information.h"
#include "base/fault_location.h"
#include "base/text_keys.h"
#include "base/text_table.h"
#include "runtime/app_state_win.h"
#include "runtime/event_queue_win.h"
#include "win/shell.h"
#include "win/system.h"

namespace orv {

void OpenHelpDocument() {
  win::OpenWithShell(ResolveHelpTarget(Text(TextKey::HelpDocument), App().ProgramDir));
}

void OpenDonatePage() {
  win::OpenWithShell(Text(TextKey::DonateAddress));
}

void OpenMoreToolsPage() {
  win::OpenWithShell(Text(TextKey::MoreToolsAddress));
}

void ShowInformation() {
  const std::wstring message = InformationMessage(Text);
  ORV_TRACE_LOCATION();
  win::ShowMessageBox(message, Text(TextKey::InformationCaption), MB_ICONINFORMATION);
  ORV_TRACE_LOCATION();
  win::ShowFileProperties(App().Events.Window(WindowId::Main), win::ModuleFileName(),
                          Text(TextKey::SignaturesPage));
}

}  // namespace orv
