// The fonts and button pictures a window of the program draws with at its own scale: the
// program's own, made at start-up for the system's scale, when the window is at that scale;
// otherwise copies made for the window's scale, which the window keeps while it is open.
#pragma once

#include <windows.h>

#include <array>

#include "base/object_ids.h"
#include "win/unique_handle.h"
#include "window_kit/resources_win.h"

namespace orv {

class ScaledResources {
 public:
  ScaledResources() = default;
  ScaledResources(const Resources& program, float scale);

  float Scale() const { return scale_; }
  HFONT ControlFont() const;
  HFONT TitleFont() const;
  // The control font underlined, for links; made when first asked for.
  HFONT LinkFont();
  // One of the program's icons; the button pictures at the window's scale.
  HICON Icon(IconId id);

 private:
  const Resources* program_ = nullptr;
  float scale_ = 0.0f;
  bool own_ = false;  // the window's scale is not the system's
  win::UniqueFont controlFont_, titleFont_, linkFont_;
  std::array<win::UniqueIcon, 8> icons_;  // loaded when first asked for
};

}  // namespace orv
