// The about window's client size and controls, in 1/96 inch, and their pixel positions at a
// given DpiScale. The window code creates the controls from this table in its order.
#pragma once

#include <array>
#include <string_view>

#include "base/geometry.h"
#include "base/object_ids.h"

namespace orv {

enum class AboutControlKind { CentredLabel, Link, Button };

struct AboutControl {
  ControlId id;
  AboutControlKind kind;
  std::wstring_view textKey;  // the text table key of its content
  bool titleFont;             // TitleFont instead of the control font
  Rect bounds;                // x, y, width, height
};

inline constexpr Size kAboutClientSize{330, 224};

// In creation order.
inline constexpr std::array<AboutControl, 6> kAboutControls = {{
    {ControlId::AboutName,
     AboutControlKind::CentredLabel,
     L"#Program_Name",
     true,
     {5, 20, 320, 25}},
    {ControlId::AboutVersion,
     AboutControlKind::CentredLabel,
     L"#Version_Name",
     false,
     {5, 50, 320, 25}},
    {ControlId::AboutCopyright,
     AboutControlKind::CentredLabel,
     L"#Copyright_Text",
     false,
     {5, 80, 320, 25}},
    {ControlId::AboutWebHeading,
     AboutControlKind::CentredLabel,
     L"#GAD00033",
     false,
     {5, 115, 320, 15}},
    {ControlId::AboutLink, AboutControlKind::Link, L"#Online_Adresse", false, {90, 135, 180, 20}},
    {ControlId::AboutClose, AboutControlKind::Button, L"#GAD00034", false, {120, 185, 90, 25}},
}};

// The about window's client size and controls in pixels.
Size AboutClientSize(float dpiScale);
std::array<AboutControl, kAboutControls.size()> AboutControlsAt(float dpiScale);

}  // namespace orv
