#include "settings/autostart_win.h"

#include <windows.h>

#include <string>

#include "base/fault_location.h"
#include "base/text_keys.h"
#include "base/text_table.h"
#include "settings/autostart.h"
#include "win/system.h"
#include "win/unique_handle.h"

namespace orv {
namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

void WriteRunValue(const std::wstring& name, const std::wstring& data) {
  HKEY opened = nullptr;
  ORV_TRACE_LOCATION();
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_ALL_ACCESS, nullptr, &opened, nullptr) != ERROR_SUCCESS) {
    return;  // autostart failures are silent; the setting keeps the user's choice
  }
  const win::UniqueRegistryKey key(opened);
  // The byte count includes the terminating zero.
  const auto bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
  ORV_TRACE_LOCATION();
  RegSetValueExW(key.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                 bytes);  // result ignored on purpose, as every autostart failure
}

void DeleteRunValue(const std::wstring& name) {
  HKEY opened = nullptr;
  ORV_TRACE_LOCATION();
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_ALL_ACCESS, &opened) != ERROR_SUCCESS) {
    return;  // no Run key: there is no value to delete either
  }
  const win::UniqueRegistryKey key(opened);
  ORV_TRACE_LOCATION();
  RegDeleteValueW(key.get(), name.c_str());  // a missing value is the state we want anyway
}

}  // namespace

void ApplyAutostart(const Settings& settings) {
  const std::wstring& name = Text(TextKey::ProgramName);
  // An empty name would address the Run key's default value, which is not ours.
  if (name.empty()) return;
  if (IsAutostartOn(settings.LoadOnWindowsStart)) {
    const std::wstring commandLine = AutostartCommandLine(win::ModuleFileName());
    if (!commandLine.empty()) WriteRunValue(name, commandLine);
  } else {
    DeleteRunValue(name);
  }
}

}  // namespace orv
