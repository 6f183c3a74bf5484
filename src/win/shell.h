// The shell's verbs the program uses: "open" for documents and web addresses, "edit" for a
// picture, and the properties sheet of a file, none of which shows an error; and the user's
// special folders.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace orv::win {

// Opens a document or an address with whatever the user's system opens it with, with no owner
// window; the result is not examined (a target nothing can open simply opens nothing).
void OpenWithShell(std::wstring_view target);

// Opens a file with the program the user's system edits files of its type with (the shell's
// "edit" verb), with no owner window and no error box; false when there is none or it could not
// be started.
bool EditWithShell(const std::wstring& file);

// Asks the shell for the properties of file, on the page whose name is page; returns while the
// sheet stays open on its own. The shell shows no error box either.
void ShowFileProperties(HWND owner, const std::wstring& file, const std::wstring& page);

// A folder's path ending with a backslash (an empty one stays empty).
std::wstring WithTrailingBackslash(std::wstring path);
// A special folder (CSIDL_APPDATA, ...) with a trailing backslash; empty when it has no path.
std::wstring SpecialFolderPath(int folderId);

}  // namespace orv::win
