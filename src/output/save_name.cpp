#include "output/save_name.h"

#include "base/ascii.h"

namespace orv {

std::wstring ExtensionOf(std::wstring_view name) {
  const std::size_t dot = name.rfind(L'.');
  if (dot == std::wstring_view::npos || dot == 0) return {};
  const wchar_t before = name[dot - 1];
  if (before == L'/' || before == L'\\') return {};
  const std::wstring_view after = name.substr(dot + 1);
  if (after.find_first_of(L" /\\") != std::wstring_view::npos) return {};
  return std::wstring(after);
}

std::wstring WithImageExtension(std::wstring_view name, std::wstring_view imageType) {
  std::wstring result(name);
  if (LowerCaseAscii(ExtensionOf(name)) != imageType) {
    result += L'.';
    result += imageType;
  }
  return result;
}

std::wstring FolderPart(std::wstring_view name) {
  const std::size_t separator = name.find_last_of(L"\\/");
  if (separator == std::wstring_view::npos) return {};
  return std::wstring(name.substr(0, separator + 1));
}

}  // namespace orv
