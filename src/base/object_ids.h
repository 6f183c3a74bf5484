// The fixed numbers by which windows, images, controls and commands are addressed. Events carry
// these numbers; control and command numbers are the real Win32 control and menu ids.
#pragma once

#include <cstdint>

namespace orv {

enum class WindowId : int { Main = 1, SelectionOverlay = 2, Preview = 3, About = 5 };

enum class ImageId : int {
  GrabBuffer = 19,
  Capture = 20,
  PrintImage = 21,
  BackupImage = 22,
  Highlight = 24,
  AppIcon = 26,
  RotateIcon = 27,
  NegativeIcon = 28,
  GreyIcon = 29,
  PrintersIcon = 30,
  FitOffIcon = 31,
  FitOnIcon = 32,
  RestoreIcon = 33,
};

enum class CommandId : int {
  ClosePreview = 4,      // CmdClosePreview (Escape in the preview window)
  CaptureRegion = 7,     // CmdCaptureRegion
  CaptureScreen = 8,     // CmdCaptureScreen
  CaptureWindow = 9,     // CmdCaptureWindow
  ToggleAutostart = 10,  // CmdToggleAutostart
  MoreTools = 11,        // CmdMoreTools
  Information = 12,      // CmdInformation
  About = 13,            // CmdAbout
  Quit = 14,             // CmdQuit
  Help = 15,             // CmdHelp
  Donate = 16,           // CmdDonate
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
