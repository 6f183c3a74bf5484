// Where the help command points the shell: the help text names either an address, an absolute
// path, or a document beside the program.
#pragma once

#include <string>
#include <string_view>

namespace orv {

// "C:\..." (or "C:/..."), or a UNC path "\\server\...".
bool IsAbsolutePath(std::wstring_view text);

// Anything with "://" in it, or a "mailto:" address (any letter case).
bool IsAddress(std::wstring_view text);

// A help text that is a plain relative path is taken relative to the program folder (ending in
// a separator; one is added when it does not), not to whatever the current folder happens to
// be. Addresses, absolute paths, and paths the user's system would root elsewhere (a leading
// separator, a drive designator like "D:help.pdf") are left as they are, as is an empty text.
std::wstring ResolveHelpTarget(std::wstring_view helpText, std::wstring_view programDir);

}  // namespace orv
