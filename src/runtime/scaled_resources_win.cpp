#include "runtime/scaled_resources_win.h"

#include "base/scale.h"
#include "runtime/app_state_win.h"
#include "win/system.h"

namespace orv {
namespace {

// A copy of a font of the system's scale, its height made for another scale.
win::UniqueFont FontAtScale(HFONT base, float scale) {
  LOGFONTW font{};
  if (!base || !GetObjectW(base, sizeof(font), &font)) return {};
  font.lfHeight = FontHeightAtScale(font.lfHeight, App().DpiScale, scale);
  return win::UniqueFont(CreateFontIndirectW(&font));
}

}  // namespace

ScaledResources::ScaledResources(float scale) : scale_(scale), own_(scale != App().DpiScale) {
  if (!own_) return;
  controlFont_ = FontAtScale(App().ControlFont.get(), scale);
  titleFont_ = FontAtScale(App().TitleFont.get(), scale);
}

HFONT ScaledResources::ControlFont() const {
  return own_ && controlFont_ ? controlFont_.get() : App().ControlFont.get();
}

HFONT ScaledResources::TitleFont() const {
  return own_ && titleFont_ ? titleFont_.get() : App().TitleFont.get();
}

HICON ScaledResources::Icon(ImageId id) {
  const auto index =
      static_cast<std::size_t>(static_cast<int>(id) - static_cast<int>(ImageId::AppIcon));
  if (!own_ || id == ImageId::AppIcon || index >= icons_.size()) return orv::Icon(id);
  if (!icons_[index])
    icons_[index] = win::LoadIconResource(static_cast<int>(id), ButtonIconSize(scale_));
  return icons_[index] ? icons_[index].get() : orv::Icon(id);
}

}  // namespace orv
