#include "base/text_table.h"

#include <array>
#include <vector>

#include "base/unicode.h"

namespace orv {
namespace {

struct StoredText {
  const wchar_t* key;
  const wchar_t* value;
};

#include "text_data.inc"

int Base64Value(wchar_t c) {
  if (c >= L'A' && c <= L'Z') return c - L'A';
  if (c >= L'a' && c <= L'z') return c - L'a' + 26;
  if (c >= L'0' && c <= L'9') return c - L'0' + 52;
  if (c == L'+' || c == L'-') return 62;
  if (c == L'/' || c == L'_') return 63;
  return -1;
}

TextTable& ProgramTexts() {
  static TextTable table;
  return table;
}

}  // namespace

void XorWithKey(std::uint8_t* buffer, std::size_t length, const std::uint8_t* key,
                std::size_t keyLength) {
  std::size_t i = 0;
  for (std::size_t j = 0; j < length; ++j) {
    buffer[j] ^= key[i];
    if (++i == keyLength) i = 0;
  }
}

std::size_t DecodeBase64(std::wstring_view text, std::span<std::uint8_t> out) {
  std::size_t written = 0;
  std::uint32_t bits = 0;
  int bitCount = 0;
  for (wchar_t c : text) {
    if (c == L'=') break;
    const int value = Base64Value(c);
    if (value < 0) continue;
    bits = (bits << 6) | static_cast<std::uint32_t>(value);
    bitCount += 6;
    if (bitCount >= 8) {
      bitCount -= 8;
      if (written == out.size()) break;
      out[written++] = static_cast<std::uint8_t>(bits >> bitCount);
    }
  }
  return written;
}

void FillTextTable(TextTable& table) {
  for (const StoredText& text : kStoredTexts) table.entries.emplace(text.key, text.value);
}

void UnscrambleTexts(TextTable& table, std::string_view textKey) {
  std::vector<std::uint8_t> cycle(textKey.begin(), textKey.end());
  cycle.push_back(0);
  for (auto& [key, value] : table.entries) {
    std::array<std::uint8_t, kMaxTextBytes> buffer{};
    const std::size_t length = DecodeBase64(value, buffer);
    XorWithKey(buffer.data(), length, cycle.data(), cycle.size());
    std::size_t end = 0;
    while (end < length && buffer[end] != 0) ++end;
    value = Utf8ToWide(std::span<const std::uint8_t>(buffer.data(), end));
  }
}

const std::wstring& LookupText(const TextTable& table, std::wstring_view key) {
  static const std::wstring empty;
  const auto found = table.entries.find(std::wstring(key));
  return found == table.entries.end() ? empty : found->second;
}

void LoadTexts() {
  TextTable& table = ProgramTexts();
  table.entries.clear();
  FillTextTable(table);
  UnscrambleTexts(table, kTextKey);
}

const std::wstring& Text(std::wstring_view key) {
  return LookupText(ProgramTexts(), key);
}

}  // namespace orv
