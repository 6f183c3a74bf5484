// What the tray shows: the menu's rows and the tooltip rule.
#pragma once

#include <string>
#include <string_view>

#include "base/object_ids.h"
#include "base/text_keys.h"

namespace orv {

struct TrayMenuItem {
  CommandId command;
  std::wstring_view textKey;  // empty: a separator
};

// clang-format off
inline constexpr TrayMenuItem kTrayMenuItems[] = {
    {CommandId::CaptureRegion,   TextKey::CaptureRegionItem},
    {CommandId::CaptureScreen,   TextKey::CaptureScreenItem},
    {CommandId::CaptureWindow,   TextKey::CaptureWindowItem},
    {},
    {CommandId::ToggleAutostart, TextKey::AutostartItem},
    {},
    {CommandId::Information,     TextKey::InformationItem},
    {},
    {CommandId::About,           TextKey::AboutItem},
    {CommandId::Help,            TextKey::HelpItem},
    {CommandId::Donate,          TextKey::DonateItem},
    {CommandId::MoreTools,       TextKey::MoreToolsItem},
    {},
    {CommandId::Quit,            TextKey::QuitItem},
};
// clang-format on

// The tray tooltip shows at most 63 characters of its text (the record would hold 127 and the
// terminating zero).
inline std::wstring TrayTooltip(std::wstring_view text) {
  return std::wstring(text.substr(0, 63));
}

}  // namespace orv
