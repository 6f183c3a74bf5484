// The rules that turn the name typed into the save requester into the file that is written,
// and the folder remembered for the next save.
#pragma once

#include <string>
#include <string_view>

namespace orv {

// The text after the last "." of the name. A name has none (empty result) when a space, "/" or
// "\" follows that ".", when the "." is the name's first character or directly follows "/"
// or "\"; "a." has an empty one as well.
std::wstring ExtensionOf(std::wstring_view name);

// The name with "." and the image type appended unless its lower-cased extension already is
// that type: "shot.JPG" stays for "jpg", "shot.png" becomes "shot.png.jpg".
std::wstring WithImageExtension(std::wstring_view name, std::wstring_view imageType);

// Everything up to and including the last "\" or "/"; empty when there is no separator.
std::wstring FolderPart(std::wstring_view name);

}  // namespace orv
