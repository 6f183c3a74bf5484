// The key of every text of the program under a name that says what the text is:
// Text(TextKey::PreviewTitle) looks the text up as Text(L"#TXT00046") would. The names are made
// at build time from the "@name" lines of res/texts.txt.
#pragma once

#include <string_view>

namespace orv::TextKey {

#include "text_keys.inc"

}  // namespace orv::TextKey
