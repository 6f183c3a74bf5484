// The fixed numbers of the program's windows, icons, controls and commands. Events carry the
// window, control and command numbers; control and command numbers are the real Win32 control
// and menu ids, icon numbers the resource numbers.
#pragma once

#include <cstdint>

namespace orv {

enum class WindowId : int { Main = 1, SelectionOverlay = 2, Preview = 3, About = 5 };

// The program's icons, by their resource numbers; the first is the program's own.
enum class IconId : int {
  App = 26,
  Rotate = 27,
  Negative = 28,
  Grey = 29,
  Printers = 30,
  FitOff = 31,
  FitOn = 32,
  Restore = 33,
};

enum class CommandId : int {
  ClosePreview = 4,  // Escape in the preview window
  CaptureRegion = 7,
  CaptureScreen = 8,
  CaptureWindow = 9,
  ToggleAutostart = 10,
  MoreTools = 11,
  Information = 12,
  About = 13,
  Quit = 14,
  Help = 15,
  Donate = 16,
};

enum class ControlId : int {
  // Preview window.
  Rotate = 34,
  Negative = 35,
  Grey = 36,
  Printers = 37,
  FitToPaper = 38,
  Clipboard = 39,
  PrintWithDialog = 40,
  PrintToDefault = 41,
  Restore = 42,
  SaveToFile = 44,
  Paint = 45,
  Cancel = 46,
  SizeLabel = 48,
  OutputHeading = 49,
  Canvas = 50,
  // About window.
  AboutClose = 47,
  AboutName = 51,
  AboutVersion = 52,
  AboutCopyright = 53,
  AboutWebHeading = 54,
  AboutLink = 55,
};

enum class CaptureMode : std::int32_t { ModeScreen = 0, ModeRegion = 1, ModeWindow = 2 };

inline constexpr int kTrayIconId = 17;
inline constexpr unsigned kTrayCallbackMessage = 12501;

}  // namespace orv
