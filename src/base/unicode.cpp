#include "base/unicode.h"

namespace orv {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Length of the well-formed sequence that starts with lead byte b, and the range its second
// byte must lie in (Unicode table 3-7); 0 for a byte that cannot start a sequence.
struct LeadInfo {
  int length;
  std::uint8_t secondLow, secondHigh;
};

LeadInfo InspectLead(std::uint8_t b) {
  if (b < 0x80) return {1, 0, 0};
  if (b >= 0xC2 && b <= 0xDF) return {2, 0x80, 0xBF};
  if (b == 0xE0) return {3, 0xA0, 0xBF};
  if ((b >= 0xE1 && b <= 0xEC) || b == 0xEE || b == 0xEF) return {3, 0x80, 0xBF};
  if (b == 0xED) return {3, 0x80, 0x9F};
  if (b == 0xF0) return {4, 0x90, 0xBF};
  if (b >= 0xF1 && b <= 0xF3) return {4, 0x80, 0xBF};
  if (b == 0xF4) return {4, 0x80, 0x8F};
  return {0, 0, 0};
}

}  // namespace

void AppendCodePoint(std::wstring& text, char32_t cp) {
  if constexpr (sizeof(wchar_t) == 2) {
    if (cp >= 0x10000) {
      cp -= 0x10000;
      text.push_back(static_cast<wchar_t>(0xD800 + (cp >> 10)));
      text.push_back(static_cast<wchar_t>(0xDC00 + (cp & 0x3FF)));
      return;
    }
  }
  text.push_back(static_cast<wchar_t>(cp));
}

std::wstring Utf8ToWide(std::span<const std::uint8_t> bytes) {
  std::wstring text;
  text.reserve(bytes.size());
  std::size_t i = 0;
  while (i < bytes.size()) {
    const LeadInfo lead = InspectLead(bytes[i]);
    if (lead.length == 1) {
      text.push_back(static_cast<wchar_t>(bytes[i++]));
      continue;
    }
    if (lead.length == 0) {
      AppendCodePoint(text, kReplacement);
      ++i;
      continue;
    }
    char32_t cp = bytes[i] & (0xFF >> (lead.length + 1));
    std::size_t j = i + 1;
    bool complete = true;
    for (int k = 1; k < lead.length; ++k, ++j) {
      const std::uint8_t low = k == 1 ? lead.secondLow : 0x80;
      const std::uint8_t high = k == 1 ? lead.secondHigh : 0xBF;
      if (j >= bytes.size() || bytes[j] < low || bytes[j] > high) {
        complete = false;
        break;
      }
      cp = (cp << 6) | (bytes[j] & 0x3F);
    }
    // An ill-formed sequence is replaced as a whole up to the first byte that does not fit.
    AppendCodePoint(text, complete ? cp : kReplacement);
    i = j;
  }
  return text;
}

std::wstring Utf8ToWide(std::string_view bytes) {
  return Utf8ToWide(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

std::string WideToUtf8(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t cp = static_cast<char32_t>(text[i]);
    if constexpr (sizeof(wchar_t) == 2) {
      if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
          text[i + 1] <= 0xDFFF) {
        cp = 0x10000 + ((cp - 0xD800) << 10) + (static_cast<char32_t>(text[++i]) - 0xDC00);
      }
    }
    if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) cp = kReplacement;
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

}  // namespace orv
