// Letter case of the ASCII letters A to Z only. Every key, extension and date field the program
// compares is ASCII, and no locale may make a non-ASCII letter stand in for one of them (towlower
// turns U+0130 into "i").
#pragma once

#include <string>
#include <string_view>

namespace orv {

constexpr wchar_t AsciiLower(wchar_t c) {
  return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

inline std::wstring LowerCaseAscii(std::wstring_view text) {
  std::wstring lower(text);
  for (wchar_t& c : lower) c = AsciiLower(c);
  return lower;
}

constexpr bool EqualIgnoringAsciiCase(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

constexpr bool StartsWithIgnoringAsciiCase(std::wstring_view text, std::wstring_view prefix) {
  return text.size() >= prefix.size() &&
         EqualIgnoringAsciiCase(text.substr(0, prefix.size()), prefix);
}

}  // namespace orv
