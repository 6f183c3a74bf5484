#include "settings/autostart.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace orv {
namespace {

TEST(Autostart, AnyPositiveSettingIsOn) {
  EXPECT_TRUE(IsAutostartOn(1));
  EXPECT_TRUE(IsAutostartOn(5));  // hand-edited preferences file
  EXPECT_TRUE(IsAutostartOn(std::numeric_limits<std::int32_t>::max()));
  EXPECT_FALSE(IsAutostartOn(0));
  EXPECT_FALSE(IsAutostartOn(-1));
  EXPECT_FALSE(IsAutostartOn(std::numeric_limits<std::int32_t>::min()));
}

TEST(Autostart, RunValueQuotesThePathSoBlanksDoNotSplitIt) {
  EXPECT_EQ(AutostartCommandLine(L"C:\\Program Files\\Orvanta\\orvanta.exe"),
            L"\"C:\\Program Files\\Orvanta\\orvanta.exe\"");
  EXPECT_EQ(AutostartCommandLine(L"D:\\Tools\\orvanta.exe"), L"\"D:\\Tools\\orvanta.exe\"");
  EXPECT_EQ(AutostartCommandLine(L""), L"");
}

}  // namespace
}  // namespace orv
