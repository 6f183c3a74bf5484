// What the tray shows: the menu's rows and the tooltip rule.
#pragma once

#include <string>
#include <string_view>

#include "base/object_ids.h"

namespace orv {

struct TrayMenuItem {
  int command;  // 0: separator
  const wchar_t* textKey;
};

inline constexpr TrayMenuItem kTrayMenuItems[] = {
    {static_cast<int>(CommandId::CaptureRegion), L"#GAD00001"},
    {static_cast<int>(CommandId::CaptureScreen), L"#GAD00005"},
    {static_cast<int>(CommandId::CaptureWindow), L"#GAD00006"},
    {0, nullptr},
    {static_cast<int>(CommandId::ToggleAutostart), L"#GAD00009"},
    {0, nullptr},
    {static_cast<int>(CommandId::Information), L"#GAD00020"},
    {0, nullptr},
    {static_cast<int>(CommandId::About), L"#GAD00003"},
    {static_cast<int>(CommandId::Help), L"#GAD00007"},
    {static_cast<int>(CommandId::Donate), L"#GAD00008"},
    {static_cast<int>(CommandId::MoreTools), L"#GAD00002"},
    {0, nullptr},
    {static_cast<int>(CommandId::Quit), L"#GAD00004"},
};

// The tray tooltip holds at most 63 characters (the record's 64 with the terminating zero).
inline std::wstring TrayTooltip(std::wstring_view text) {
  return std::wstring(text.substr(0, 63));
}

}  // namespace orv
