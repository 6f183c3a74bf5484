// The shell's verbs the program uses: "open" for documents and web addresses, and the
// properties sheet of a file, both of which return at once and report nothing; and the user's
// special folders.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace orv::win {

// Opens a document or an address with whatever the user's system opens it with, with no owner
// window; the result is not examined (a target nothing can open simply opens nothing).
void OpenWithShell(std::wstring_view target);

// Asks the shell for the properties of file, on the page whose name is page; returns while the
// sheet stays open on its own. The shell shows no error box either.
void ShowFileProperties(HWND owner, const std::wstring& file, const std::wstring& page);

// A folder's path ending with a backslash (an empty one stays empty).
std::wstring WithTrailingBackslash(std::wstring path);
// A special folder (CSIDL_APPDATA, ...) with a trailing backslash; empty when it has no path.
std::wstring SpecialFolderPath(int folderId);

}  // namespace orv::win
