// The five user settings kept in the preferences file between runs.
#pragma once

#include <cstdint>
#include <string>

namespace orv {

struct Settings {
  std::wstring ImagePath;  // folder of the last export, ending in a separator, or empty
  std::wstring ImageType;  // extension of the last export format ("jpg", "gif", ...), or empty
  std::int32_t DelayTime = 0;
  std::int32_t LoadOnWindowsStart = 0;   // above 0: start at logon
  std::int32_t FitPaperOrientation = 0;  // nonzero: turn the print to the paper's orientation
};

}  // namespace orv
