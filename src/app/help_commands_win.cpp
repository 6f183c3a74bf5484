#include "app/help_commands_win.h"

#include <windows.h>

#include <string>

#include "app/app_state_win.h"
#include "app/event_loop_win.h"
#include "app/help_path.h"
#include "app/information.h"
#include "app/text_table.h"
#include "settings/fault_location.h"
#include "win/shell.h"
#include "win/system.h"

namespace orv {

void OpenHelpDocument() {
  win::OpenWithShell(ResolveHelpTarget(Text(L"#Help_PDF"), App().ProgramDir));
}

void OpenDonatePage() {
  win::OpenWithShell(Text(L"#Online_Donate"));
}

void OpenMoreToolsPage() {
  win::OpenWithShell(Text(L"#Online_MoreTools"));
}

void ShowInformation() {
  const std::wstring message = InformationMessage(Text);
  ORV_TRACE_LOCATION();
  win::ShowMessageBox(message, Text(L"TXT00072"), MB_ICONINFORMATION);
  ORV_TRACE_LOCATION();
  win::ShowFileProperties(WindowHandle(WindowId::Main), win::ModuleFileName(),
                          Text(L"Digital_Sinatures"));
}

}  // namespace orv
