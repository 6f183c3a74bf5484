#include "settings/autostart_win.h"

namespace orv {

void ApplyAutostart() {
  // Writes or deletes the Run value once autostart exists; until then logon starts nothing.
}

}  // namespace orv
