// The about window's client size and controls, in 1/96 inch. The window creates the controls
// from this table in its order and lays them out at its scale.
#pragma once

#include <array>

#include "base/geometry.h"
#include "base/text_keys.h"
#include "window_kit/control_layout.h"

namespace orv {

inline constexpr Size kAboutClientSize{330, 224};

// In creation order.
// clang-format off
inline constexpr std::array<ControlSpec, 6> kAboutControls = {{
    {ControlId::AboutName,       ControlKind::Title,      {5, 20, 320, 25},   TextKey::ProgramName},
    {ControlId::AboutVersion,    ControlKind::Notice,     {5, 50, 320, 25},   TextKey::VersionName},
    {ControlId::AboutCopyright,  ControlKind::Notice,     {5, 80, 320, 25},   TextKey::CopyrightNotice},
    {ControlId::AboutWebHeading, ControlKind::Notice,     {5, 115, 320, 15},  TextKey::WebHeading},
    {ControlId::AboutLink,       ControlKind::Link,       {90, 135, 180, 20}, TextKey::WebAddress},
    {ControlId::AboutClose,      ControlKind::PushButton, {120, 185, 90, 25}, TextKey::CloseButton},
}};
// clang-format on

}  // namespace orv
