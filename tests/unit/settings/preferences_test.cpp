#include "settings/preferences.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <string_view>

#include "base/unicode.h"

namespace orv {
namespace {

std::span<const std::uint8_t> Bytes(std::string_view text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

TEST(Preferences, DefaultRecordSavesToExactBytes) {
  EXPECT_EQ(FormatPreferences(Settings{}),
            "\xEF\xBB\xBF\r\n"
            "ImagePath = \r\n"
            "ImageType = \r\n"
            "DelayTime = 0\r\n"
            "LoadOnWindowsStart = 0\r\n"
            "FitPaperOrientation = 0\r\n");
}

TEST(Preferences, EveryFieldSurvivesSaveAndLoad) {
  Settings saved;
  saved.ImagePath = L"C:\\Users\\Ren\u00E9e\\Bilder \u20AC\\\u65E5\u672C\\";
  AppendCodePoint(saved.ImagePath, 0x1F4F7);  // a surrogate pair where wchar_t has 16 bits
  saved.ImagePath += L"\\";
  saved.ImageType = L"png";
  saved.DelayTime = -250;
  saved.LoadOnWindowsStart = std::numeric_limits<std::int32_t>::max();
  saved.FitPaperOrientation = std::numeric_limits<std::int32_t>::min();

  const std::string bytes = FormatPreferences(saved);
  EXPECT_NE(bytes.find("ImagePath = C:\\Users\\Ren\xC3\xA9"
                       "e\\Bilder \xE2\x82\xAC\\"),
            std::string::npos);
  EXPECT_NE(bytes.find("\r\nFitPaperOrientation = -2147483648\r\n"), std::string::npos);

  const Settings loaded = ParsePreferences(Bytes(bytes));
  EXPECT_EQ(loaded.ImagePath, saved.ImagePath);
  EXPECT_EQ(loaded.ImageType, saved.ImageType);
  EXPECT_EQ(loaded.DelayTime, saved.DelayTime);
  EXPECT_EQ(loaded.LoadOnWindowsStart, saved.LoadOnWindowsStart);
  EXPECT_EQ(loaded.FitPaperOrientation, saved.FitPaperOrientation);
}

TEST(Preferences, TextValuesAreSavedWithoutSurroundingSpaces) {
  Settings settings;
  settings.ImagePath = L"  D:\\Shots\\ ";
  settings.ImageType = L" jpg";
  const std::string bytes = FormatPreferences(settings);
  EXPECT_NE(bytes.find("\r\nImagePath = D:\\Shots\\\r\nImageType = jpg\r\n"), std::string::npos);
}

TEST(Preferences, Latin1FileIsReadAndRewrittenAsUtf8) {
  const std::string_view old =
      "; written by hand\r\n"
      "imagepath=C:\\Caf\xE9\\\r\n"
      "DelayTime = $1F\r\n"
      "FitPaperOrientation\r\n"
      "Unknown = kept only until the next save\r\n";
  const Settings settings = ParsePreferences(Bytes(old));
  EXPECT_EQ(settings.ImagePath, L"C:\\Caf\u00E9\\");
  EXPECT_EQ(settings.ImageType, L"");
  EXPECT_EQ(settings.DelayTime, 31);
  EXPECT_EQ(settings.LoadOnWindowsStart, 0);
  EXPECT_EQ(settings.FitPaperOrientation, 0);
  EXPECT_EQ(FormatPreferences(settings),
            "\xEF\xBB\xBF\r\n"
            "ImagePath = C:\\Caf\xC3\xA9\\\r\n"
            "ImageType = \r\n"
            "DelayTime = 31\r\n"
            "LoadOnWindowsStart = 0\r\n"
            "FitPaperOrientation = 0\r\n");
}

TEST(Preferences, IntegerRuleReadsHexBinaryAndDecimalPrefixes) {
  const struct {
    std::wstring_view text;
    std::int32_t value;
  } cases[] = {
      {L"$1F", 31}, {L"$1f", 31}, {L"-$10", -16}, {L"%101", 5}, {L"+%11", 3},    {L"12abc", 12},
      {L"abc", 0},  {L"", 0},     {L"-0", 0},     {L"+7", 7},   {L"  \t42", 42}, {L"- 5", 0},
      {L"$", 0},    {L"$G1", 0},  {L"%2", 0},     {L"%12", 1},  {L"0x1F", 0},    {L"1.5", 1},
      {L"007", 7},  {L"--1", 0},  {L"\u0661", 0},  // digits of other scripts are not digits here
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParsePreferenceInteger(c.text), c.value) << WideToUtf8(c.text);
  }
}

TEST(Preferences, IntegerRuleKeepsTheLow32BitsOfLongNumbers) {
  EXPECT_EQ(ParsePreferenceInteger(L"2147483647"), 2147483647);
  EXPECT_EQ(ParsePreferenceInteger(L"2147483648"), -2147483647 - 1);
  EXPECT_EQ(ParsePreferenceInteger(L"-2147483648"), -2147483647 - 1);
  EXPECT_EQ(ParsePreferenceInteger(L"4294967297"), 1);
  EXPECT_EQ(ParsePreferenceInteger(L"99999999999"), 1215752191);  // 99999999999 mod 2^32
  EXPECT_EQ(ParsePreferenceInteger(L"-99999999999"), -1215752191);
  EXPECT_EQ(ParsePreferenceInteger(L"$FFFFFFFF"), -1);
  EXPECT_EQ(ParsePreferenceInteger(L"$123456789"), 0x23456789);
  EXPECT_EQ(ParsePreferenceInteger(L"%1" + std::wstring(32, L'0') + L"1"), 1);
  EXPECT_EQ(ParsePreferenceInteger(L"1" + std::wstring(4000, L'0')), 0);  // 10^4000 = 0 mod 2^32
}

TEST(Preferences, TheNewerFileIsReadAndTheProgramFolderWinsATie) {
  const PreferencesCandidate absent{};
  const auto present = [](std::int64_t second) { return PreferencesCandidate{true, second}; };
  using enum PreferencesSource;
  EXPECT_EQ(ChoosePreferencesSource(present(100), present(100)), ProgramFolder);
  EXPECT_EQ(ChoosePreferencesSource(present(100), present(101)), ProgramFolder);
  EXPECT_EQ(ChoosePreferencesSource(present(101), present(100)), UserFolder);
  EXPECT_EQ(ChoosePreferencesSource(present(-5), present(-6)), UserFolder);
  EXPECT_EQ(ChoosePreferencesSource(absent, present(100)), ProgramFolder);
  EXPECT_EQ(ChoosePreferencesSource(present(100), absent), UserFolder);
  EXPECT_EQ(ChoosePreferencesSource(absent, absent), UserFolder);
}

}  // namespace
}  // namespace orv
