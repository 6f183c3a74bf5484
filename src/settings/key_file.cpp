#include "settings/key_file.h"

#include "base/ascii.h"
#include "base/unicode.h"

namespace orv {
namespace {

bool IsBlank(wchar_t c) {
  return c == L' ' || c == L'\t';
}

// A NUL byte ends a line just as CR and LF do; runs of them are skipped together, which is
// harmless because an empty line means nothing.
bool IsLineEnd(wchar_t c) {
  return c == L'\r' || c == L'\n' || c == L'\0';
}

std::wstring DecodeKeyFileText(std::span<const std::uint8_t> bytes) {
  if (bytes.size() > 2 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
    return Utf8ToWide(bytes.subspan(3));
  }
  return std::wstring(bytes.begin(), bytes.end());  // ISO-8859-1: byte n is U+00nn
}

}  // namespace

KeyFile ParseKeyFile(std::span<const std::uint8_t> bytes) {
  KeyFile file;
  file.text = DecodeKeyFileText(bytes);
  const std::wstring_view text = file.text;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = pos;
    while (end < text.size() && !IsLineEnd(text[end])) ++end;
    std::size_t begin = pos;
    while (begin < end && IsBlank(text[begin])) ++begin;
    pos = end;
    while (pos < text.size() && IsLineEnd(text[pos])) ++pos;

    if (begin == end || text[begin] == L';') continue;
    if (text[begin] == L'[') break;  // the program never selects a group: nothing after counts

    std::size_t equals = begin;
    while (equals < end && text[equals] != L'=') ++equals;
    std::size_t keyEnd = equals;
    while (keyEnd > begin && IsBlank(text[keyEnd - 1])) --keyEnd;
    std::size_t valueBegin = equals < end ? equals + 1 : end;
    while (valueBegin < end && IsBlank(text[valueBegin])) ++valueBegin;
    if (keyEnd > begin) file.lines.push_back({begin, keyEnd, valueBegin, end});
  }
  return file;
}

std::optional<std::wstring_view> FindKeyValue(const KeyFile& file, std::wstring_view key) {
  const std::wstring_view text = file.text;
  for (const KeyFile::Line& line : file.lines) {
    if (EqualIgnoringAsciiCase(text.substr(line.keyBegin, line.keyEnd - line.keyBegin), key)) {
      return text.substr(line.valueBegin, line.valueEnd - line.valueBegin);
    }
  }
  return std::nullopt;
}

std::wstring_view TrimBlanks(std::wstring_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::wstring ReadKeyText(const KeyFile& file, std::wstring_view key,
                         std::wstring_view defaultText) {
  const std::optional<std::wstring_view> value = FindKeyValue(file, key);
  return std::wstring(value ? TrimBlanks(*value) : defaultText);
}

}  // namespace orv
