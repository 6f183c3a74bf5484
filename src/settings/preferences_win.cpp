#include "settings/preferences_win.h"

namespace orv {

void LoadPreferences() {
  // Reads the preferences file once its reader exists; until then the defaults apply.
}

void SavePreferences() {
  // Writes the preferences file once its writer exists; until then nothing is kept.
}

}  // namespace orv
