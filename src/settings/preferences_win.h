// Loading and saving the five settings in the preferences file, and reading the output policy
// file beside the program.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "settings/folders.h"
#include "settings/output_policy.h"
#include "settings/preferences.h"
#include "settings/settings.h"

namespace orv {

// The settings of the newer of the two preferences files, in the user's application-data folder
// and the program folder; the defaults when neither can be read.
Settings LoadPreferences(const Folders& folders);
// Writes the settings, to the program folder when it is writable, else to the user's
// application-data folder; silent on failure.
void SavePreferences(const Settings& settings, const Folders& folders);
// The output policy as the file in the program folder says now; read afresh at every call, so an
// administrator's change counts from the next capture on.
OutputPolicy ReadOutputPolicy(const std::wstring& programDir);

// The steps behind the three calls above, with the folders passed in (each ending with a
// separator) so that they can be tried on real files.
Settings LoadPreferencesFrom(const std::wstring& userDir, const std::wstring& programDir,
                             const std::wstring& fileName);
void SavePreferencesTo(const Settings& settings, const std::wstring& userDir,
                       const std::wstring& programDir, const std::wstring& fileName);
// Whether path is a file of at least one byte, and when it last changed.
PreferencesCandidate InspectPreferencesFile(const std::wstring& path);
// The whole content of a file; nothing when it is missing, unreadable or larger than maxBytes.
std::optional<std::string> ReadSmallFile(const std::wstring& path, std::size_t maxBytes);
// Gives path the content bytes in one step: the bytes go to path + ".tmp" first, which then
// replaces path. On failure path keeps its old content and the temporary file is removed.
bool ReplaceFileContent(const std::wstring& path, std::string_view bytes);

}  // namespace orv
