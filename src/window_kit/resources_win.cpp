#include "window_kit/resources_win.h"

#include <string>
#include <string_view>

#include "base/scale.h"
#include "win/system.h"

namespace orv {
namespace {

constexpr int kFirstIcon = static_cast<int>(IconId::App);

win::UniqueFont CreatePointFont(std::wstring_view face, int points, bool bold, int logPixelsY) {
  const std::wstring faceZ(face);
  return win::UniqueFont(CreateFontW(FontHeightForPoints(points, logPixelsY), 0, 0, 0,
                                     bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                                     DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                     DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, faceZ.c_str()));
}

}  // namespace

Resources Resources::Make(float dpiScale, float fontScale, int fontLogPixelsY) {
  Resources made;
  made.DpiScale = dpiScale;
  made.FontScale = fontScale;
  const FontChoice choice = ChooseFonts(fontScale);
  const FontSpec& control = choice.control;
  made.ControlFont = CreatePointFont(control.face, control.points, false, fontLogPixelsY);
  if (!made.ControlFont) {
    made.ControlFont = CreatePointFont(control.fallbackFace, control.points, false, fontLogPixelsY);
  }
  made.TitleFont = CreatePointFont(choice.title.face, choice.title.points, true, fontLogPixelsY);
  for (std::size_t i = 0; i < made.Icons.size(); ++i) {
    const int id = kFirstIcon + static_cast<int>(i);
    // The program's icon is shown in the tray at the small-icon size; the others are the
    // preview's button pictures, drawn for the scale of the display.
    const int size = i == 0 ? GetSystemMetrics(SM_CXSMICON) : ButtonIconSize(dpiScale);
    made.Icons[i] = win::LoadIconResource(id, size);
  }
  made.ArrowCursor = LoadCursorW(nullptr, IDC_ARROW);
  made.CrossCursor = LoadCursorW(nullptr, IDC_CROSS);
  made.HandCursor = LoadCursorW(nullptr, IDC_HAND);
  return made;
}

HICON Resources::Icon(IconId id) const {
  const auto index = static_cast<std::size_t>(static_cast<int>(id) - kFirstIcon);
  return index < Icons.size() ? Icons[index].get() : nullptr;
}

}  // namespace orv
