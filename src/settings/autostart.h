// What the autostart value in the current user's Run key holds, and when it should exist.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orv {

// LoadOnWindowsStart above 0 means start at logon; a hand-edited 5 counts as on, like 1.
constexpr bool IsAutostartOn(std::int32_t loadOnWindowsStart) {
  return loadOnWindowsStart > 0;
}

// The Run value's data: the program path in double quotes. Unquoted, a path with blanks such as
// C:\Program Files\Orvanta\orvanta.exe lets Windows try C:\Program.exe first at logon. Empty when
// the path is unknown: no value at all beats one that starts nothing.
std::wstring AutostartCommandLine(std::wstring_view programPath);

}  // namespace orv
