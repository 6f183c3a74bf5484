// Loading and saving the five settings in the preferences file.
#pragma once

namespace orv {

// Fills the settings record from the newer of the two preferences files; silent on failure.
void LoadPreferences();
// Writes the settings record; silent on failure.
void SavePreferences();

}  // namespace orv
