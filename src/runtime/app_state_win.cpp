#include "runtime/app_state_win.h"

namespace orv {

AppState& App() {
  static AppState state;
  return state;
}

HICON Icon(ImageId id) {
  const auto index =
      static_cast<std::size_t>(static_cast<int>(id) - static_cast<int>(ImageId::AppIcon));
  return index < App().Icons.size() ? App().Icons[index].get() : nullptr;
}

}  // namespace orv
