#include "settings/output_policy.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "base/unicode.h"

namespace orv {
namespace {

std::span<const std::uint8_t> Bytes(std::string_view text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

bool FileAllowsExport(std::string_view value) {
  return ParseOutputPolicy(Bytes("ExportToFile = " + std::string(value) + "\r\n")).ExportToFile;
}

TEST(OutputPolicy, WithoutAFileOrItsKeysEveryOutputIsAllowed) {
  for (const std::string_view file :
       {"", "\xEF\xBB\xBF\r\n", "; nothing\r\nOther = 0\r\n", "[Policy]\r\nExportToFile = 0\r\n"}) {
    const OutputPolicy policy = ParseOutputPolicy(Bytes(file));
    EXPECT_TRUE(policy.PrintToSelection && policy.PrintToStandard && policy.ExportToClipboard &&
                policy.ExportToPaint && policy.ExportToFile)
        << file;
  }
}

TEST(OutputPolicy, EachKeySwitchesOffItsOwnOutputOnly) {
  const OutputPolicy some =
      ParseOutputPolicy(Bytes("printtostandard = 0\nExportToPaint=0\nExportToFile = 1\n"));
  EXPECT_TRUE(some.PrintToSelection);
  EXPECT_FALSE(some.PrintToStandard);
  EXPECT_TRUE(some.ExportToClipboard);
  EXPECT_FALSE(some.ExportToPaint);
  EXPECT_TRUE(some.ExportToFile);

  const OutputPolicy all = ParseOutputPolicy(
      Bytes("PrintToSelection=0\nPrintToStandard=0\nExportToClipboard=0\nExportToPaint=0\n"
            "ExportToFile=0\n"));
  EXPECT_FALSE(all.PrintToSelection || all.PrintToStandard || all.ExportToClipboard ||
               all.ExportToPaint || all.ExportToFile);
}

TEST(OutputPolicy, ValuesWithoutANumberCountAsZero) {
  for (const std::string_view off :
       {"0", " 0", "\t-0", "+0", "000", "no", "", "0x1", "- 1", "$1"}) {
    EXPECT_FALSE(FileAllowsExport(off)) << off;
  }
  for (const std::string_view on : {"1", "-1", "2 apples", "+7", "4294967296", "-4294967296"}) {
    EXPECT_TRUE(FileAllowsExport(on)) << on;
  }
}

TEST(OutputPolicy, IntegerRuleStopsAtTheFirstMisfitAndHoldsAtTheRangeEnds) {
  EXPECT_EQ(ParsePolicyInteger(L" \v\f\t-12x"), -12);
  EXPECT_EQ(ParsePolicyInteger(L"2147483647"), 2147483647);
  EXPECT_EQ(ParsePolicyInteger(L"2147483648"), 2147483647);
  EXPECT_EQ(ParsePolicyInteger(L"-2147483648"), -2147483647 - 1);
  EXPECT_EQ(ParsePolicyInteger(L"-2147483649"), -2147483647 - 1);
  EXPECT_EQ(ParsePolicyInteger(L"1" + std::wstring(4000, L'0')), 2147483647);
  EXPECT_EQ(ParsePolicyInteger(L"$1F"), 0);
}

}  // namespace
}  // namespace orv
