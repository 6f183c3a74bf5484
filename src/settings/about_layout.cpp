#include "settings/about_layout.h"

#include "app/scale.h"

namespace orv {

Rect ScaledRect(const Rect& base, float dpiScale) {
  return {Scaled(base.x, dpiScale), Scaled(base.y, dpiScale), Scaled(base.width, dpiScale),
          Scaled(base.height, dpiScale)};
}

Size ScaledSize(Size base, float dpiScale) {
  return {Scaled(base.width, dpiScale), Scaled(base.height, dpiScale)};
}

Size AboutClientSize(float dpiScale) {
  return ScaledSize(kAboutClientSize, dpiScale);
}

std::array<AboutControl, kAboutControls.size()> AboutControlsAt(float dpiScale) {
  auto controls = kAboutControls;
  for (AboutControl& control : controls) control.bounds = ScaledRect(control.bounds, dpiScale);
  return controls;
}

}  // namespace orv
