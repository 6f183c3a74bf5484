// Reader for the key-value text files the program keeps: the preferences file and the output
// policy file. Both are read the same way; only their keys and integer rules differ.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orv {

// Neither file is meant to hold more than a few hundred bytes. A file larger than this is
// treated as unreadable (every key reads as its default) instead of being loaded into memory.
inline constexpr std::size_t kMaxKeyFileBytes = 1 << 20;

// The key lines that lie before the first group header, in file order. Keys and values are
// ranges of the decoded text.
struct KeyFile {
  struct Line {
    std::size_t keyBegin, keyEnd, valueBegin, valueEnd;
  };
  std::wstring text;
  std::vector<Line> lines;
};

// Decodes and splits a whole file. With the bytes EF BB BF in front (and anything after them)
// the rest is UTF-8, otherwise every byte is one ISO-8859-1 character. Runs in time linear in
// the size of the file, whatever it holds.
KeyFile ParseKeyFile(std::span<const std::uint8_t> bytes);

// The value of the first line whose key equals key, ignoring the case of ASCII letters: the text
// after the first "=" and the blanks that follow it, to the end of the line.
std::optional<std::wstring_view> FindKeyValue(const KeyFile& file, std::wstring_view key);

// The value of key with spaces and tabs removed from both ends, or defaultText when the key is
// missing.
std::wstring ReadKeyText(const KeyFile& file, std::wstring_view key, std::wstring_view defaultText);

// Removes spaces and tabs from both ends.
std::wstring_view TrimBlanks(std::wstring_view text);

}  // namespace orv
