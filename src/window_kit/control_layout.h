// The controls of the program's windows of buttons (the preview and the about window) as tables:
// what each control is, where it lies in 1/96 inch, and its text, tooltip or picture. ButtonWindow
// creates the controls from such a table in its order and lays them out again from it at another
// scale.
#pragma once

#include <string_view>

#include "base/geometry.h"
#include "base/object_ids.h"

namespace orv {

enum class ControlKind {
  Label,       // centred text
  Notice,      // centred text shown as it stands: an "&" in it is no mnemonic
  Title,       // a notice in the title font
  Link,        // a notice in the underlined font that takes the focus and clicks
  Canvas,      // a picture that lets the pointer through to the window
  IconToggle,  // a push-like check box showing an icon
  IconButton,  // a push button showing an icon
  PushButton,
};

struct ControlSpec {
  ControlId id;
  ControlKind kind;
  Rect bounds;               // x, y, width, height
  std::wstring_view text{};  // the text key of its content; of an icon button, its tooltip and name
  IconId icon{};             // the picture of an icon button
};

}  // namespace orv
