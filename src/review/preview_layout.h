// The preview window's controls and the arithmetic of its picture, in 1/96 inch before scaling.
#pragma once

#include <array>
#include <cstdint>

#include "base/geometry.h"
#include "base/text_keys.h"
#include "window_kit/control_layout.h"

namespace orv {

inline constexpr Size kPreviewClientSize{395, 220};

// In creation order.
// clang-format off
inline constexpr std::array<ControlSpec, 15> kPreviewControls = {{
    {ControlId::SizeLabel,       ControlKind::Label,      {10, 10, 180, 20}},
    {ControlId::Canvas,          ControlKind::Canvas,     {10, 30, 180, 180}},
    {ControlId::FitToPaper,      ControlKind::IconToggle, {201, 30, 25, 25},   TextKey::FitToPaperOffTip, IconId::FitOff},
    {ControlId::Printers,        ControlKind::IconButton, {201, 60, 25, 25},   TextKey::PrintersTip, IconId::Printers},
    {ControlId::Rotate,          ControlKind::IconButton, {201, 90, 25, 25},   TextKey::RotateTip, IconId::Rotate},
    {ControlId::Grey,            ControlKind::IconButton, {201, 120, 25, 25},  TextKey::GreyTip, IconId::Grey},
    {ControlId::Negative,        ControlKind::IconButton, {201, 150, 25, 25},  TextKey::NegativeTip, IconId::Negative},
    {ControlId::Restore,         ControlKind::IconButton, {201, 185, 25, 25},  TextKey::RestoreTip, IconId::Restore},
    {ControlId::OutputHeading,   ControlKind::Label,      {235, 10, 150, 25},  TextKey::OutputHeading},
    {ControlId::PrintWithDialog, ControlKind::PushButton, {235, 30, 150, 25},  TextKey::PrintWithDialogButton},
    {ControlId::PrintToDefault,  ControlKind::PushButton, {235, 60, 150, 25},  TextKey::PrintToDefaultButton},
    {ControlId::Clipboard,       ControlKind::PushButton, {235, 90, 150, 25},  TextKey::ClipboardButton},
    {ControlId::Paint,           ControlKind::PushButton, {235, 120, 150, 25}, TextKey::PaintButton},
    {ControlId::SaveToFile,      ControlKind::PushButton, {235, 150, 150, 25}, TextKey::SaveToFileButton},
    {ControlId::Cancel,          ControlKind::PushButton, {235, 185, 150, 25}, TextKey::CancelButton},
}};
// clang-format on

// The row of a control of the table.
constexpr const ControlSpec& PreviewControl(ControlId id) {
  for (const ControlSpec& control : kPreviewControls) {
    if (control.id == id) return control;
  }
  throw "no such control in the preview";  // compile time only
}

// Where a w x h picture goes on a canvas of the given size: as large as fits, keeping its
// proportions, centred across the shorter side (integer arithmetic, remainders dropped).
Rect PreviewPictureRect(Size picture, Size canvas);

// The canvas background: the system window colour, unless it is pure white or pure black,
// which would hide the picture's edge; then the button-face colour. Colours are 0x00BBGGRR.
std::uint32_t CanvasBackground(std::uint32_t windowColour, std::uint32_t buttonFaceColour);

// Whether the pointer, pressed at `press` and now at `now`, has left the rectangle in which it may
// move before a drag begins: `drag` pixels on either side of the press across and along (the
// system's drag size; a negative one counts as its size).
bool LeavesDragRectangle(Point press, Point now, Size drag);

inline constexpr std::uint32_t kCanvasOutlineColour = 0x00C4C4C4;  // RGB 196, 196, 196

}  // namespace orv
