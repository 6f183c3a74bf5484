// The text table: every user-visible text and a few internal names, looked up by key.
// The texts are compiled in scrambled (Base64 of UTF-8 XOR a key cycle) and unscrambled once at
// start-up; from then on the table is only read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>

namespace orv {

// Longest decoded value; longer stored values are cut here.
inline constexpr std::size_t kMaxTextBytes = 1024;

struct TextTable {
  std::unordered_map<std::wstring, std::wstring> entries{512};
};

// Combines buffer with the key cycle in place: byte j meets key byte j mod keyLength.
void XorWithKey(std::uint8_t* buffer, std::size_t length, const std::uint8_t* key,
                std::size_t keyLength);

// RFC 4648 Base64, also accepting "-" and "_" for the last two letters. Tabs, line feeds,
// carriage returns and any other stray characters are skipped; "=" ends the data. Writes at
// most out.size() bytes and returns how many it wrote.
std::size_t DecodeBase64(std::wstring_view text, std::span<std::uint8_t> out);

// Adds the compiled-in key and stored-value pairs.
void FillTextTable(TextTable& table);

// Rewrites every stored value of the table as its plain text, using the key cycle made from
// textKey (its UTF-8 bytes and one zero byte).
void UnscrambleTexts(TextTable& table, std::string_view textKey);

// The text stored under key (case-sensitive), or the empty text.
const std::wstring& LookupText(const TextTable& table, std::wstring_view key);

// The program's own table, filled and unscrambled by LoadTexts at start-up.
void LoadTexts();
const std::wstring& Text(std::wstring_view key);

// Looks up a text by key (#TXT00020, #Program_Name, ...). Code that composes texts takes one of
// these, so that its tests can pass a small table of their own.
using TextLookup = std::function<std::wstring_view(std::wstring_view key)>;

}  // namespace orv
