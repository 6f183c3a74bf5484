// The application: what the program holds from start-up to shutdown besides the selection overlay
// and the capture under review. The shell makes it once, hands its parts to whatever uses them,
// and releases it in reverse order.
#pragma once

#include <utility>

#include "app/about_window_win.h"
#include "app/main_window_win.h"
#include "base/object_ids.h"
#include "capture/keyboard_hook_win.h"
#include "events/event_queue.h"
#include "output/clipboard_win.h"
#include "output/paint_win.h"
#include "output/temporary_images_win.h"
#include "settings/folders.h"
#include "settings/settings.h"
#include "window_kit/button_window_win.h"
#include "window_kit/dialog_keys_win.h"
#include "window_kit/resources_win.h"

namespace orv {

struct Application {
  Application(Resources made, Folders found)
      : resources(std::move(made)), folders(std::move(found)) {}
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  Resources resources;  // fonts, icons and cursors at the system's scale
  Folders folders;
  orv::Settings Settings;  // kept between runs
  EventQueue events;
  DialogKeys dialogKeys{events};
  WindowHost host{events, dialogKeys, resources};  // what the windows of buttons share
  KeyboardHook keyboardHook;
  // What the program put on the clipboard; its owner, the main window, goes first.
  ClipboardPicture clipboard;
  MainWindow main{events, resources, clipboard};  // with the tray icon
  AboutWindow about{host};
  TemporaryImages temporaryImages;  // the image files handed to other programs in this run
  PaintProgram paint{temporaryImages};
};

}  // namespace orv
