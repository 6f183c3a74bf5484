// UTF-8 <-> wide text conversion: the one place where the program changes text encodings.
// Wide text is UTF-16 on Windows and UTF-32 on Linux (where the portable core is tested).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace orv {

// Decodes UTF-8 the way Windows does: every ill-formed sequence (maximal subpart) becomes one
// U+FFFD, nothing is dropped and nothing fails.
std::wstring Utf8ToWide(std::span<const std::uint8_t> bytes);
std::wstring Utf8ToWide(std::string_view bytes);

// Encodes wide text as UTF-8; an unpaired surrogate becomes U+FFFD.
std::string WideToUtf8(std::wstring_view text);

// Appends one code point to wide text (a surrogate pair where wchar_t is 16 bits).
void AppendCodePoint(std::wstring& text, char32_t codePoint);

}  // namespace orv
