#include "base/text_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/unicode.h"

namespace orv {
namespace {

constexpr char kKey[] = "Abcdefghij0123456789KLMNOPQRSTuvwxyz9876";  // 40 characters

// The reverse of what the program does at start-up: UTF-8, XOR with the key cycle, Base64.
std::wstring Scramble(const std::vector<std::uint8_t>& plain) {
  std::vector<std::uint8_t> bytes = plain;
  std::vector<std::uint8_t> cycle(std::begin(kKey), std::end(kKey));  // includes the zero byte
  EXPECT_EQ(cycle.size(), 41u);
  XorWithKey(bytes.data(), bytes.size(), cycle.data(), cycle.size());
  static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::wstring out;
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::uint32_t n = bytes[i] << 16 | (i + 1 < bytes.size() ? bytes[i + 1] << 8 : 0) |
                            (i + 2 < bytes.size() ? bytes[i + 2] : 0);
    out += alphabet[n >> 18 & 63];
    out += alphabet[n >> 12 & 63];
    out += i + 1 < bytes.size() ? alphabet[n >> 6 & 63] : L'=';
    out += i + 2 < bytes.size() ? alphabet[n & 63] : L'=';
  }
  return out;
}

std::wstring Scramble(const std::wstring& plain) {
  const std::string utf8 = WideToUtf8(plain);
  return Scramble(std::vector<std::uint8_t>(utf8.begin(), utf8.end()));
}

std::wstring RoundTrip(const std::wstring& stored) {
  TextTable table;
  table.entries[L"k"] = stored;
  UnscrambleTexts(table, kKey);
  return LookupText(table, L"k");
}

TEST(TextTable, LongAndNonAsciiTextsRoundTrip) {
  const std::wstring longText =
      L"A text well over forty-one bytes long, so the key cycle wraps around twice.";
  EXPECT_EQ(RoundTrip(Scramble(longText)), longText);

  std::wstring multiByte = L"Gr\u00FC\u00DFe \u20AC 5 \u65E5\u672C";
  AppendCodePoint(multiByte, 0x1F4F7);  // outside the basic plane: a surrogate pair on Windows
  EXPECT_EQ(RoundTrip(Scramble(multiByte)), multiByte);
}

TEST(TextTable, EveryFortyFirstByteMeetsTheZeroKeyByte) {
  std::vector<std::uint8_t> plain(130);
  for (std::size_t i = 0; i < plain.size(); ++i) plain[i] = static_cast<std::uint8_t>('a' + i % 26);
  std::vector<std::uint8_t> scrambled = plain;
  const std::vector<std::uint8_t> cycle(std::begin(kKey), std::end(kKey));
  XorWithKey(scrambled.data(), scrambled.size(), cycle.data(), cycle.size());
  for (std::size_t j = 0; j < plain.size(); ++j) {
    if (j % 41 == 40) {
      EXPECT_EQ(scrambled[j], plain[j]) << "byte " << j;
    } else {
      EXPECT_EQ(scrambled[j], plain[j] ^ static_cast<std::uint8_t>(kKey[j % 41])) << "byte " << j;
    }
  }
}

TEST(TextTable, ValuesAreCutAt1024BytesAndAtTheFirstZeroByte) {
  EXPECT_EQ(RoundTrip(Scramble(std::wstring(1100, L'x'))), std::wstring(1024, L'x'));
  EXPECT_EQ(RoundTrip(Scramble(std::vector<std::uint8_t>{'a', 'b', 0, 'c'})), L"ab");
  EXPECT_EQ(RoundTrip(L""), L"");
}

TEST(TextTable, InvalidUtf8BecomesReplacementCharacters) {
  // A lone continuation byte, a truncated three-byte sequence and an overlong "/".
  const std::vector<std::uint8_t> bytes{'a', 0x80, 'b', 0xE2, 0x82, 'c', 0xC0, 0xAF};
  EXPECT_EQ(RoundTrip(Scramble(bytes)), L"a\uFFFDb\uFFFDc\uFFFD\uFFFD");
}

TEST(TextTable, Base64DecoderToleratesUrlAlphabetWhitespaceAndStrayCharacters) {
  std::uint8_t out[8] = {};
  // "+/" and "-_" are the same letters; tab, line feed and carriage return are skipped.
  EXPECT_EQ(DecodeBase64(L"+/+/", out), 3u);
  const std::vector<std::uint8_t> standard(out, out + 3);
  EXPECT_EQ(DecodeBase64(L"-_\t-\r\n_", out), 3u);
  EXPECT_EQ(std::vector<std::uint8_t>(out, out + 3), standard);
  // Characters outside the alphabet are skipped; "=" ends the data.
  EXPECT_EQ(DecodeBase64(L"T*W!F u", out), 3u);
  EXPECT_EQ(std::string(out, out + 3), "Man");
  EXPECT_EQ(DecodeBase64(L"TQ==TWFu", out), 1u);
  EXPECT_EQ(out[0], 'M');
  // Never writes past the buffer.
  EXPECT_EQ(DecodeBase64(L"TWFuTWFuTWFu", std::span(out, 5)), 5u);
}

TEST(TextTable, LookupIsCaseSensitiveAndUnknownKeysAreEmpty) {
  TextTable table;
  table.entries[L"#Program_Name"] = Scramble(std::wstring(L"Name"));
  UnscrambleTexts(table, kKey);
  EXPECT_EQ(LookupText(table, L"#Program_Name"), L"Name");
  EXPECT_EQ(LookupText(table, L"#program_name"), L"");
  EXPECT_EQ(LookupText(table, L"#Nothing"), L"");
}

TEST(ProgramTexts, HoldExactlyTheKeysThePartsLookUp) {
  const std::vector<std::wstring> keys = {
      L"#Program_Name",     L"#Version_Name",     L"#Program_Short",  L"#Pref_FileName",
      L"#AppData_Subdir",   L"#Spez_FileName",    L"#Copyright_Text", L"#Help_PDF",
      L"#TXT00001",         L"#TXT00002",         L"#TXT00004",       L"#GAD00010",
      L"#TXT00005",         L"#GAD00011",         L"#GAD00012",       L"#GAD00013",
      L"#GAD00014",         L"#GAD00015",         L"#GAD00016",       L"#TXT00013",
      L"#GAD00020",         L"#TXT00020",         L"#TXT00021",       L"#TXT00022",
      L"#TXT00023",         L"#TXT00024",         L"#TXT00025",       L"#GAD00032",
      L"#GAD00033",         L"#GAD00034",         L"#Online_Donate",  L"#TXT00041",
      L"#TXT00042",         L"#TXT00044",         L"#TXT00045",       L"#TXT00046",
      L"#TXT00047",         L"#TXT00048",         L"#TXT00049",       L"#Online_Adresse",
      L"#TXT00050",         L"#TXT00051",         L"#TXT00052",       L"#TXT00053",
      L"#Online_MoreTools", L"Digital_Sinatures", L"#TXT00066",       L"TXT00072",
      L"TXT00073",          L"TXT00074",          L"TXT00075",        L"TXT00076",
      L"#GAD00001",         L"#GAD00002",         L"#GAD00003",       L"#GAD00004",
      L"#GAD00005",         L"#GAD00006",         L"#GAD00007",       L"#GAD00008",
      L"#GAD00009",         L"#TXT00090",         L"#TXT00091",       L"#TXT00092"};
  ASSERT_EQ(keys.size(), 64u);
  TextTable table;
  FillTextTable(table);
  EXPECT_EQ(table.entries.size(), keys.size());
  LoadTexts();
  for (const std::wstring& key : keys) EXPECT_FALSE(Text(key).empty()) << WideToUtf8(key);
  EXPECT_EQ(Text(L"#Program_Name"), L"Orvanta");
  EXPECT_EQ(Text(L"#GAD00020"), Text(L"TXT00072"));
  EXPECT_EQ(Text(L"#AppData_Subdir").back(), L'\\');
  EXPECT_LE(Text(L"#TXT00044").size(), 63u);
}

}  // namespace
}  // namespace orv
