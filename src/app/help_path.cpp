#include "app/help_path.h"

#include "base/ascii.h"

namespace orv {
namespace {

bool IsSeparator(wchar_t c) {
  return c == L'\\' || c == L'/';
}

bool IsAsciiLetter(wchar_t c) {
  return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

bool HasDriveDesignator(std::wstring_view text) {
  return text.size() >= 2 && IsAsciiLetter(text[0]) && text[1] == L':';
}

}  // namespace

bool IsAbsolutePath(std::wstring_view text) {
  return (HasDriveDesignator(text) && text.size() >= 3 && IsSeparator(text[2])) ||
         (text.size() >= 2 && IsSeparator(text[0]) && IsSeparator(text[1]));
}

bool IsAddress(std::wstring_view text) {
  return text.find(L"://") != std::wstring_view::npos ||
         StartsWithIgnoringAsciiCase(text, L"mailto:");
}

std::wstring ResolveHelpTarget(std::wstring_view helpText, std::wstring_view programDir) {
  if (helpText.empty() || IsAddress(helpText) || IsAbsolutePath(helpText) ||
      IsSeparator(helpText.front()) || HasDriveDesignator(helpText)) {
    return std::wstring(helpText);
  }
  std::wstring target(programDir);
  if (!target.empty() && !IsSeparator(target.back())) target += L'\\';
  target += helpText;
  return target;
}

}  // namespace orv
