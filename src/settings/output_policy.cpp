#include "settings/output_policy.h"

#include <algorithm>
#include <limits>
#include <optional>

#include "settings/key_file.h"

namespace orv {
namespace {

bool IsWhiteSpace(wchar_t c) {
  return c == L' ' || (c >= L'\t' && c <= L'\r');
}

bool IsAllowed(const KeyFile& file, std::wstring_view key) {
  const std::optional<std::wstring_view> value = FindKeyValue(file, key);
  return !value || ParsePolicyInteger(*value) != 0;
}

}  // namespace

std::int32_t ParsePolicyInteger(std::wstring_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsWhiteSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
  constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  std::int64_t magnitude = 0;
  for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
    if (magnitude <= kLimit) magnitude = magnitude * 10 + (text[i] - L'0');
  }
  if (negative) return static_cast<std::int32_t>(-std::min(magnitude, kLimit));
  return static_cast<std::int32_t>(std::min(magnitude, kLimit - 1));
}

OutputPolicy ParseOutputPolicy(std::span<const std::uint8_t> bytes) {
  const KeyFile file = ParseKeyFile(bytes);
  OutputPolicy policy;
  policy.PrintToSelection = IsAllowed(file, L"PrintToSelection");
  policy.PrintToStandard = IsAllowed(file, L"PrintToStandard");
  policy.ExportToClipboard = IsAllowed(file, L"ExportToClipboard");
  policy.ExportToPaint = IsAllowed(file, L"ExportToPaint");
  policy.ExportToFile = IsAllowed(file, L"ExportToFile");
  return policy;
}

}  // namespace orv
