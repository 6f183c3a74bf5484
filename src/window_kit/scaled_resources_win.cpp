#include "window_kit/scaled_resources_win.h"

#include "base/scale.h"
#include "win/system.h"

namespace orv {
namespace {

// A copy of a font of the system's scale, its height made for another scale.
win::UniqueFont FontAtScale(HFONT base, float fromScale, float toScale) {
  LOGFONTW font{};
  if (!base || !GetObjectW(base, sizeof(font), &font)) return {};
  font.lfHeight = FontHeightAtScale(font.lfHeight, fromScale, toScale);
  return win::UniqueFont(CreateFontIndirectW(&font));
}

win::UniqueFont CreateUnderlinedFont(HFONT base) {
  LOGFONTW font{};
  if (!base || !GetObjectW(base, sizeof(font), &font)) {
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font);
  }
  font.lfUnderline = TRUE;
  return win::UniqueFont(CreateFontIndirectW(&font));
}

}  // namespace

ScaledResources::ScaledResources(const Resources& program, float scale)
    : program_(&program), scale_(scale), own_(scale != program.DpiScale) {
  if (!own_) return;
  controlFont_ = FontAtScale(program.ControlFont.get(), program.DpiScale, scale);
  titleFont_ = FontAtScale(program.TitleFont.get(), program.DpiScale, scale);
}

HFONT ScaledResources::ControlFont() const {
  if (own_ && controlFont_) return controlFont_.get();
  return program_ ? program_->ControlFont.get() : nullptr;
}

HFONT ScaledResources::TitleFont() const {
  if (own_ && titleFont_) return titleFont_.get();
  return program_ ? program_->TitleFont.get() : nullptr;
}

HFONT ScaledResources::LinkFont() {
  if (!linkFont_) linkFont_ = CreateUnderlinedFont(ControlFont());
  return linkFont_ ? linkFont_.get() : ControlFont();
}

HICON ScaledResources::Icon(IconId id) {
  if (!program_) return nullptr;
  const auto index = static_cast<std::size_t>(static_cast<int>(id) - static_cast<int>(IconId::App));
  if (!own_ || id == IconId::App || index >= icons_.size()) return program_->Icon(id);
  if (!icons_[index])
    icons_[index] = win::LoadIconResource(static_cast<int>(id), ButtonIconSize(scale_));
  return icons_[index] ? icons_[index].get() : program_->Icon(id);
}

}  // namespace orv
