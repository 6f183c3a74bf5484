// Fuzzes the text table's decoding: Base64, the key cycle and UTF-8. Input: one byte giving
// the length of the text key, the key, then the stored text with one character per byte.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "base/text_table.h"
#include "base/unicode.h"
#include "fuzz_check.h"

namespace {

using namespace orv;

std::wstring EncodeBase64(std::span<const std::uint8_t> bytes, bool urlAlphabet) {
  const char* alphabet = urlAlphabet
                             ? "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_"
                             : "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::wstring out;
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
    std::uint32_t group = std::uint32_t{bytes[i]} << 16;
    if (n > 1) group |= std::uint32_t{bytes[i + 1]} << 8;
    if (n > 2) group |= bytes[i + 2];
    for (std::size_t k = 0; k < 4; ++k) {
      out += k <= n ? static_cast<wchar_t>(alphabet[(group >> (18 - 6 * k)) & 63]) : L'=';
    }
  }
  return out;
}

void CheckUtf8(std::span<const std::uint8_t> bytes) {
  const std::wstring text = Utf8ToWide(bytes);
  const std::string encoded = WideToUtf8(text);
  FUZZ_CHECK(Utf8ToWide(encoded) == text);
  if (text.find(L'\uFFFD') == std::wstring::npos) {
    FUZZ_CHECK(encoded == std::string(bytes.begin(), bytes.end()));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::span<const std::uint8_t> input(data, size);
  const std::size_t keyLength = std::min<std::size_t>(input[0] % 64, size - 1);
  const std::span<const std::uint8_t> keyBytes = input.subspan(1, keyLength);
  const std::span<const std::uint8_t> rest = input.subspan(1 + keyLength);
  const std::string textKey(keyBytes.begin(), keyBytes.end());
  const std::wstring stored(rest.begin(), rest.end());

  TextTable table;
  table.entries[L"#k"] = stored;
  UnscrambleTexts(table, textKey);
  FUZZ_CHECK(LookupText(table, L"#k").size() <= kMaxTextBytes);

  // A short buffer receives a prefix of what a long one receives.
  std::vector<std::uint8_t> full(stored.size());
  const std::size_t fullLength = DecodeBase64(stored, full);
  FUZZ_CHECK(fullLength <= full.size());
  std::vector<std::uint8_t> part(input[0] % 8);
  const std::size_t partLength = DecodeBase64(stored, part);
  FUZZ_CHECK(partLength == std::min(part.size(), fullLength));
  FUZZ_CHECK(std::equal(part.begin(), part.begin() + partLength, full.begin()));

  // Base64 of any bytes, in either alphabet, decodes to those bytes.
  const std::wstring encoded = EncodeBase64(rest, input[0] & 64);
  std::vector<std::uint8_t> decoded(rest.size() + 3);
  decoded.resize(DecodeBase64(encoded, decoded));
  FUZZ_CHECK(std::equal(decoded.begin(), decoded.end(), rest.begin(), rest.end()));

  CheckUtf8(rest);
  return 0;
}
