// Fuzzes the key-value file reader with both integer rules, and checks that whatever settings a
// file yields come back unchanged after a save and a second read.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "fuzz_check.h"
#include "settings/key_file.h"
#include "settings/output_policy.h"
#include "settings/preferences.h"

namespace {

using namespace orv;

bool IsLineEnd(wchar_t c) {
  return c == L'\r' || c == L'\n' || c == L'\0';
}
bool IsBlank(wchar_t c) {
  return c == L' ' || c == L'\t';
}

void CheckLines(const KeyFile& file) {
  const std::wstring_view text = file.text;
  for (const KeyFile::Line& line : file.lines) {
    FUZZ_CHECK(line.keyBegin < line.keyEnd && line.keyEnd <= line.valueBegin);
    FUZZ_CHECK(line.valueBegin <= line.valueEnd && line.valueEnd <= text.size());
    const std::wstring_view key = text.substr(line.keyBegin, line.keyEnd - line.keyBegin);
    const std::wstring_view value = text.substr(line.valueBegin, line.valueEnd - line.valueBegin);
    FUZZ_CHECK(key.find(L'=') == std::wstring_view::npos);
    FUZZ_CHECK(!IsBlank(key.front()) && !IsBlank(key.back()) && key.front() != L';' &&
               key.front() != L'[');
    FUZZ_CHECK(value.empty() || !IsBlank(value.front()));
    for (const wchar_t c : key) FUZZ_CHECK(!IsLineEnd(c));
    for (const wchar_t c : value) FUZZ_CHECK(!IsLineEnd(c));
  }
}

std::span<const std::uint8_t> Bytes(const std::string& text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  const KeyFile file = ParseKeyFile(bytes);
  CheckLines(file);

  const Settings read = ParsePreferences(bytes);
  const Settings again = ParsePreferences(Bytes(FormatPreferences(read)));
  FUZZ_CHECK(again.ImagePath == read.ImagePath);
  FUZZ_CHECK(again.ImageType == read.ImageType);
  FUZZ_CHECK(again.DelayTime == read.DelayTime);
  FUZZ_CHECK(again.LoadOnWindowsStart == read.LoadOnWindowsStart);
  FUZZ_CHECK(again.FitPaperOrientation == read.FitPaperOrientation);

  // The whole text as one value exercises the integer rules on the longest inputs.
  const std::int32_t number = ParsePreferenceInteger(file.text);
  FUZZ_CHECK(ParsePreferenceInteger(std::to_wstring(number)) == number);
  const std::int32_t policyNumber = ParsePolicyInteger(file.text);
  FUZZ_CHECK(ParsePolicyInteger(std::to_wstring(policyNumber)) == policyNumber);
  for (const KeyFile::Line& line : file.lines) {
    const std::wstring_view value(file.text.data() + line.valueBegin,
                                  line.valueEnd - line.valueBegin);
    ParsePreferenceInteger(value);
    ParsePolicyInteger(value);
  }

  ParseOutputPolicy(bytes);
  return 0;
}
