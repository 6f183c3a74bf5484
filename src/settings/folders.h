// The folders the program works with, each ending in a separator, found once at start-up; empty
// where the system has none.
#pragma once

#include <string>

namespace orv {

struct Folders {
  std::wstring AppDataDir;   // the user's folder for the preferences, when beside the program fails
  std::wstring WindowsDir;   // where the printers folder is started
  std::wstring PicturesDir;  // where the save requester starts the first time
  std::wstring TempDir;      // the paint program's bitmaps and the dragged PNG files
  std::wstring ProgramDir;   // the help document, the preferences and the output policy
};

}  // namespace orv
