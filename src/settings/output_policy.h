// The output policy file beside the program: an administrator can switch off single output
// buttons of the preview window with it. The program only ever reads it.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace orv {

// Which outputs may be used. Without a policy file every output is allowed.
struct OutputPolicy {
  bool PrintToSelection = true;
  bool PrintToStandard = true;
  bool ExportToClipboard = true;
  bool ExportToPaint = true;
  bool ExportToFile = true;
};

// The policy a file holds: a key whose value reads as 0 switches its output off; a missing key
// leaves it on.
OutputPolicy ParseOutputPolicy(std::span<const std::uint8_t> bytes);

// Policy values: optional white space, an optional sign and decimal digits; a value holding no
// such number reads as 0 (so "no" switches an output off). Numbers beyond the 32-bit range are
// held at its ends rather than wrapped, so that no large number can read as 0.
std::int32_t ParsePolicyInteger(std::wstring_view text);

}  // namespace orv
