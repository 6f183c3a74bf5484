// The information command's message: why the program file is signed and what the signature page
// that follows the box shows.
#pragma once

#include <string>

#include "base/text_table.h"

namespace orv {

// Three sentences joined by blanks, an empty line, then the hint on reading the page.
std::wstring InformationMessage(const TextLookup& text);

}  // namespace orv
