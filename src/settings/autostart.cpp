#include "settings/autostart.h"

namespace orv {

std::wstring AutostartCommandLine(std::wstring_view programPath) {
  if (programPath.empty()) return {};
  std::wstring commandLine;
  commandLine.reserve(programPath.size() + 2);
  commandLine += L'"';
  commandLine += programPath;
  commandLine += L'"';
  return commandLine;
}

}  // namespace orv
