// The preview window's controls and the arithmetic of its picture, in 1/96 inch before scaling.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "base/geometry.h"
#include "base/object_ids.h"

namespace orv {

enum class PreviewControlKind { CentredLabel, Canvas, IconToggle, IconButton, PushButton };

struct PreviewControl {
  ControlId id;
  PreviewControlKind kind;
  Rect bounds;                   // x, y, width, height
  std::wstring_view textKey;     // text of labels and push buttons
  std::wstring_view tooltipKey;  // icon buttons
  ImageId icon;                  // icon buttons (0 for the others)
};

inline constexpr Size kPreviewClientSize{395, 220};

// In creation order.
inline constexpr std::array<PreviewControl, 15> kPreviewControls = {{
    {ControlId::SizeLabel, PreviewControlKind::CentredLabel, {10, 10, 180, 20}, L"", L"", {}},
    {ControlId::Canvas, PreviewControlKind::Canvas, {10, 30, 180, 180}, L"", L"", {}},
    {ControlId::FitToPaper,
     PreviewControlKind::IconToggle,
     {201, 30, 25, 25},
     L"",
     L"#TXT00048",
     ImageId::FitOffIcon},
    {ControlId::Printers,
     PreviewControlKind::IconButton,
     {201, 60, 25, 25},
     L"",
     L"#TXT00050",
     ImageId::PrintersIcon},
    {ControlId::Rotate,
     PreviewControlKind::IconButton,
     {201, 90, 25, 25},
     L"",
     L"#TXT00047",
     ImageId::RotateIcon},
    {ControlId::Grey,
     PreviewControlKind::IconButton,
     {201, 120, 25, 25},
     L"",
     L"#TXT00052",
     ImageId::GreyIcon},
    {ControlId::Negative,
     PreviewControlKind::IconButton,
     {201, 150, 25, 25},
     L"",
     L"#TXT00051",
     ImageId::NegativeIcon},
    {ControlId::Restore,
     PreviewControlKind::IconButton,
     {201, 185, 25, 25},
     L"",
     L"#TXT00053",
     ImageId::RestoreIcon},
    {ControlId::OutputHeading,
     PreviewControlKind::CentredLabel,
     {235, 10, 150, 25},
     L"#GAD00010",
     L"",
     {}},
    {ControlId::PrintWithDialog,
     PreviewControlKind::PushButton,
     {235, 30, 150, 25},
     L"#GAD00012",
     L"",
     {}},
    {ControlId::PrintToDefault,
     PreviewControlKind::PushButton,
     {235, 60, 150, 25},
     L"#GAD00013",
     L"",
     {}},
    {ControlId::Clipboard,
     PreviewControlKind::PushButton,
     {235, 90, 150, 25},
     L"#GAD00011",
     L"",
     {}},
    {ControlId::Paint, PreviewControlKind::PushButton, {235, 120, 150, 25}, L"#GAD00015", L"", {}},
    {ControlId::SaveToFile,
     PreviewControlKind::PushButton,
     {235, 150, 150, 25},
     L"#GAD00014",
     L"",
     {}},
    {ControlId::Cancel, PreviewControlKind::PushButton, {235, 185, 150, 25}, L"#GAD00016", L"", {}},
}};

// Where a w x h picture goes on a canvas of the given size: as large as fits, keeping its
// proportions, centred across the shorter side (integer arithmetic, remainders dropped).
Rect PreviewPictureRect(Size picture, Size canvas);

// The canvas background: the system window colour, unless it is pure white or pure black,
// which would hide the picture's edge; then the button-face colour. Colours are 0x00BBGGRR.
std::uint32_t CanvasBackground(std::uint32_t windowColour, std::uint32_t buttonFaceColour);

inline constexpr std::uint32_t kCanvasOutlineColour = 0x00C4C4C4;  // RGB 196, 196, 196

}  // namespace orv
