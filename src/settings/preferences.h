// The preferences file's content: the settings record to bytes and back, the integer rule of
// its values, and the choice between the program-folder and user-folder copies.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "settings/settings.h"

namespace orv {

// The whole file as saved: byte order mark, an empty line, then one "Key = value" line per
// setting, all in UTF-8 with CR LF line ends.
std::string FormatPreferences(const Settings& settings);

// The settings a file holds; a missing key (or no file: empty bytes) gives that setting's
// default.
Settings ParsePreferences(std::span<const std::uint8_t> bytes);

// Integer values: optional blanks and sign, then "$" and hex digits, "%" and binary digits, or
// decimal digits, up to the first character that does not fit; no digits gives 0. The number
// is kept modulo 2^32, as a 32-bit register would hold it.
std::int32_t ParsePreferenceInteger(std::wstring_view text);

// What the program knows about one of the two places the preferences file may be.
struct PreferencesCandidate {
  bool present = false;              // an existing file of at least one byte
  std::int64_t lastWriteSecond = 0;  // last change, in whole seconds of local time
};

enum class PreferencesSource { ProgramFolder, UserFolder };

// The newer of the two files; the program-folder copy on a tie, and whichever exists when only
// one does (the user-folder one, possibly missing, when neither does).
PreferencesSource ChoosePreferencesSource(const PreferencesCandidate& user,
                                          const PreferencesCandidate& program);

}  // namespace orv
