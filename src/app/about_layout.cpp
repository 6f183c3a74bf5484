#include "app/about_layout.h"

#include "base/scale.h"

namespace orv {

Size AboutClientSize(float dpiScale) {
  return ScaledSize(kAboutClientSize, dpiScale);
}

std::array<ControlSpec, kAboutControls.size()> AboutControlsAt(float dpiScale) {
  auto controls = kAboutControls;
  for (ControlSpec& control : controls) control.bounds = ScaledRect(control.bounds, dpiScale);
  return controls;
}

}  // namespace orv
