#include "settings/preferences.h"

#include "base/unicode.h"
#include "settings/key_file.h"

namespace orv {
namespace {

std::wstring_view TrimSpaces(std::wstring_view text) {
  while (!text.empty() && text.front() == L' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == L' ') text.remove_suffix(1);
  return text;
}

void AppendLine(std::string& out, std::string_view key, std::string_view value) {
  out += key;
  out += " = ";
  out += value;
  out += "\r\n";
}

int DigitValue(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return 99;
}

}  // namespace

std::string FormatPreferences(const Settings& settings) {
  std::string out = "\xEF\xBB\xBF\r\n";
  AppendLine(out, "ImagePath", WideToUtf8(TrimSpaces(settings.ImagePath)));
  AppendLine(out, "ImageType", WideToUtf8(TrimSpaces(settings.ImageType)));
  AppendLine(out, "DelayTime", std::to_string(settings.DelayTime));
  AppendLine(out, "LoadOnWindowsStart", std::to_string(settings.LoadOnWindowsStart));
  AppendLine(out, "FitPaperOrientation", std::to_string(settings.FitPaperOrientation));
  return out;
}

Settings ParsePreferences(std::span<const std::uint8_t> bytes) {
  const KeyFile file = ParseKeyFile(bytes);
  Settings settings;
  settings.ImagePath = ReadKeyText(file, L"ImagePath", L"");
  settings.ImageType = ReadKeyText(file, L"ImageType", L"");
  settings.DelayTime = ParsePreferenceInteger(ReadKeyText(file, L"DelayTime", L"0"));
  settings.LoadOnWindowsStart =
      ParsePreferenceInteger(ReadKeyText(file, L"LoadOnWindowsStart", L"0"));
  settings.FitPaperOrientation =
      ParsePreferenceInteger(ReadKeyText(file, L"FitPaperOrientation", L"0"));
  return settings;
}

std::int32_t ParsePreferenceInteger(std::wstring_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == L' ' || text[i] == L'\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
  int base = 10;
  if (i < text.size() && text[i] == L'$') {
    base = 16;
    ++i;
  } else if (i < text.size() && text[i] == L'%') {
    base = 2;
    ++i;
  }
  // Unsigned arithmetic wraps, so an overlong number keeps its low 32 bits.
  std::uint32_t value = 0;
  for (; i < text.size() && DigitValue(text[i]) < base; ++i) {
    value =
        value * static_cast<std::uint32_t>(base) + static_cast<std::uint32_t>(DigitValue(text[i]));
  }
  if (negative) value = 0u - value;
  return static_cast<std::int32_t>(value);
}

PreferencesSource ChoosePreferencesSource(const PreferencesCandidate& user,
                                          const PreferencesCandidate& program) {
  if (program.present && user.present) {
    return program.lastWriteSecond < user.lastWriteSecond ? PreferencesSource::UserFolder
                                                          : PreferencesSource::ProgramFolder;
  }
  return program.present ? PreferencesSource::ProgramFolder : PreferencesSource::UserFolder;
}

}  // namespace orv
