#include "settings/key_file.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>

namespace orv {
namespace {

using namespace std::string_view_literals;

std::span<const std::uint8_t> Bytes(std::string_view text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// The raw value of key in a file made of bytes, or "<missing>".
std::wstring Value(std::string_view bytes, std::wstring_view key) {
  const KeyFile file = ParseKeyFile(Bytes(bytes));
  const std::optional<std::wstring_view> value = FindKeyValue(file, key);
  return value ? std::wstring(*value) : L"<missing>";
}

TEST(KeyFile, ByteOrderMarkSelectsUtf8AndItsAbsenceLatin1) {
  EXPECT_EQ(Value("\xEF\xBB\xBFk=\xC3\xA9\xE2\x82\xAC", L"k"), L"\u00E9\u20AC");
  EXPECT_EQ(Value("k=caf\xE9", L"k"), L"caf\u00E9");
  // UTF-8 without the mark is read byte by byte.
  EXPECT_EQ(Value("k=\xC3\xA9", L"k"), L"\u00C3\u00A9");
  // Ill-formed UTF-8 after the mark becomes replacement characters, not lost lines.
  EXPECT_EQ(Value("\xEF\xBB\xBFk=a\xFF\xC3\nj=b", L"k"), L"a\uFFFD\uFFFD");
  EXPECT_EQ(Value("\xEF\xBB\xBFk=a\xFF\xC3\nj=b", L"j"), L"b");
  // Two bytes are too short for a mark: they are Latin-1 text (here a key of two characters).
  EXPECT_EQ(Value("\xEF\xBB", L"\u00EF\u00BB"), L"");
  EXPECT_EQ(Value("\xEF\xBB\xBF", L"k"), L"<missing>");
}

TEST(KeyFile, LinesEndAtCarriageReturnLineFeedOrNul) {
  for (const std::string_view file :
       {"a=1\rb=2\r\rc=3"sv, "a=1\nb=2\n\nc=3\n"sv, "\r\na=1\r\n\r\nb=2\n\rc=3\r\n"sv}) {
    EXPECT_EQ(Value(file, L"a"), L"1") << file;
    EXPECT_EQ(Value(file, L"b"), L"2") << file;
    EXPECT_EQ(Value(file, L"c"), L"3") << file;
  }
  // A NUL ends the value; what follows it on the same line is a line of its own.
  constexpr std::string_view withNul = "a=x\0junk\r\nb=y\0c=z\n"sv;
  EXPECT_EQ(Value(withNul, L"a"), L"x");
  EXPECT_EQ(Value(withNul, L"b"), L"y");
  EXPECT_EQ(Value(withNul, L"c"), L"z");
  EXPECT_EQ(Value("\xEF\xBB\xBF"
                  "a=x\0b=y"sv,
                  L"b"),
            L"y");
}

TEST(KeyFile, KeyIsTextBeforeFirstEqualsSignAndValueFollowsItsBlanks) {
  EXPECT_EQ(Value(" \t Key \t= \t a = b ; c\t\r\n", L"Key"), L"a = b ; c\t");
  EXPECT_EQ(Value("Key==x", L"Key"), L"=x");
  EXPECT_EQ(Value("Key\n", L"Key"), L"");  // no "=": empty value
  EXPECT_EQ(Value("Key with blanks = v", L"Key with blanks"), L"v");
  EXPECT_EQ(Value("Key=", L"Key"), L"");
  EXPECT_EQ(Value("Keyx=1", L"Key"), L"<missing>");
}

TEST(KeyFile, LookupIgnoresAsciiCaseAndTakesTheFirstMatch) {
  constexpr std::string_view file = "imagepath = first\nIMAGEPATH = second\nImagePath = third\n";
  EXPECT_EQ(Value(file, L"ImagePath"), L"first");
  // Only ASCII letters fold: a dotless i does not stand in for "I".
  EXPECT_EQ(Value("\xEF\xBB\xBF\xC4\xB1magePath = x", L"ImagePath"), L"<missing>");
  EXPECT_EQ(Value("\xC9T\xC9=1", L"\u00E9t\u00E9"), L"<missing>");
  EXPECT_EQ(Value("\xC9T\xC9=1", L"\u00C9t\u00C9"), L"1");
}

TEST(KeyFile, CommentsAreNeverLookedUpAndAGroupHeaderEndsTheSearch) {
  EXPECT_EQ(Value("; a = 1\n  ;b=2\na=3", L"a"), L"3");
  EXPECT_EQ(Value("; a = 1\n  ;b=2", L"b"), L"<missing>");
  constexpr std::string_view grouped = "a = 1\n  [Group] b = 5\nb = 2\n[Other]\na = 3\n";
  EXPECT_EQ(Value(grouped, L"a"), L"1");
  EXPECT_EQ(Value(grouped, L"b"), L"<missing>");
  EXPECT_EQ(Value("[Group]\na = 1", L"a"), L"<missing>");
  // A "[" later in a line is an ordinary character.
  EXPECT_EQ(Value("a[1] = [x]\nb = 2", L"a[1]"), L"[x]");
  EXPECT_EQ(Value("a[1] = [x]\nb = 2", L"b"), L"2");
}

TEST(KeyFile, TextValuesAreTrimmedOfBlanksAndMissingKeysGiveTheDefault) {
  const KeyFile file = ParseKeyFile(Bytes("a = \t x y \t \nb = \t \n"));
  EXPECT_EQ(ReadKeyText(file, L"a", L"d"), L"x y");
  EXPECT_EQ(ReadKeyText(file, L"b", L"d"), L"");
  EXPECT_EQ(ReadKeyText(file, L"c", L"d"), L"d");
}

TEST(KeyFile, LongLinesAndManyLinesAreReadWhole) {
  const std::string longValue(4000, 'v');
  EXPECT_EQ(Value("k = " + longValue + "\r\nj = 1", L"k"), std::wstring(4000, L'v'));

  std::string many;
  for (int i = 0; i < 100000; ++i) many += "filler" + std::to_string(i) + " = x\r\n";
  many += "last = found\r\n[g]\r\n";
  EXPECT_EQ(Value(many, L"last"), L"found");
  EXPECT_EQ(Value(many, L"filler99999"), L"x");
}

}  // namespace
}  // namespace orv
