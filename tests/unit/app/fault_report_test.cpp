#include "app/fault_report.h"

#include <gtest/gtest.h>

#include <map>

namespace orv {
namespace {

// Marks a location as the program's own code does; defined at the end of this file, where a
// #line directive places it in the main unit.
void MarkInMainUnitAtLine1234();

std::wstring_view FakeText(std::wstring_view key) {
  static const std::map<std::wstring_view, std::wstring_view> texts = {
      {L"#TXT00020", L"It failed."},   {L"#TXT00021", L"Nothing saved."},
      {L"#TXT00022", L"Send this to"}, {L"#TXT00023", L"Report:"},
      {L"#Program_Name", L"Orvanta"},  {L"#Version_Name", L"Version 1.0.0"},
  };
  const auto found = texts.find(key);
  return found == texts.end() ? std::wstring_view{} : found->second;
}

// The report's line with the given zero-based index, CR LF removed.
std::wstring ReportLine(const std::wstring& report, int index) {
  std::size_t begin = 0;
  for (int i = 0; i < index; ++i) begin = report.find(L"\r\n", begin) + 2;
  return report.substr(begin, report.find(L"\r\n", begin) - begin);
}

constexpr int kMessageLine = 8;  // sixth entry: after three texts with blank lines and contact
constexpr int kUnitLine = 10;

TEST(FaultReport, InvalidMemoryAccessInTheMainUnit) {
  MarkInMainUnitAtLine1234();
  const std::wstring report = BuildFaultReport({0xC0000005, CurrentFaultLocation()}, FakeText);
  MarkFaultLocation(kNoLocation);
  EXPECT_EQ(report,
            L"It failed.\r\n"
            L"\r\n"
            L"Nothing saved.\r\n"
            L"\r\n"
            L"Send this to\r\n"
            L"The Orvanta developers, support@orvanta.example\r\n"
            L"\r\n"
            L"Report:\r\n"
            L"Invalid memory access\t-1073741819\r\n"
            L"Orvanta\tVersion 1.0.0\r\n"
            L"main_win.cpp\t1234\r\n"
            L"\r\n");
}

TEST(FaultReport, MessagesAndSignedCodes) {
  const auto messageLine = [](std::uint32_t code) {
    return ReportLine(BuildFaultReport({code, kNoLocation}, FakeText), kMessageLine);
  };
  EXPECT_EQ(messageLine(0xC00000FD), L"Stack overflow\t-1073741571");
  EXPECT_EQ(messageLine(0xC0000094), L"Division by zero \t-1073741676");
  EXPECT_EQ(messageLine(0xC0000091), L"Floating-point overflow (exponent to great)\t-1073741679");
  EXPECT_EQ(messageLine(0x80000003), L"Debugger breakpoint reached\t-2147483645");
  EXPECT_EQ(messageLine(0xE06D7363), L"Unknown error code\t-529697949");
  EXPECT_EQ(messageLine(0x00000001), L"Unknown error code\t1");
  EXPECT_EQ(messageLine(0), L"Unknown error code\t0");
}

TEST(FaultReport, LocationsNameTheUnitFileAndLine) {
  const auto unitLine = [](std::int32_t location) {
    return ReportLine(BuildFaultReport({0xC0000005, location}, FakeText), kUnitLine);
  };
  EXPECT_EQ(unitLine(kNoLocation), L"No line information available\t-1");
  // Compilers spell __FILE__ with either separator; only the file name counts.
  EXPECT_EQ(unitLine(LocationOf("C:\\build\\src\\app\\tray_win.cpp", 5)), L"tray_win.cpp\t5");
  EXPECT_EQ(unitLine(LocationOf("/work/src/win/system.cpp", 0xFFFFFF)), L"system.cpp\t16777215");
  EXPECT_EQ(unitLine(LocationOf("main_win.cpp", 0)), L"main_win.cpp\t0");
  // A unit this table does not know (a newer program's number) is still named by its number.
  EXPECT_EQ(unitLine((120 << 24) | 7), L"unit 120\t7");
}

TEST(FaultReport, MissingTextsLeaveEmptyLinesAndKeepTheTab) {
  const std::wstring report =
      BuildFaultReport({0xC0000005, kNoLocation}, [](std::wstring_view) { return L""; });
  EXPECT_EQ(ReportLine(report, 0), L"");
  EXPECT_EQ(ReportLine(report, kMessageLine + 1), L"\t");
  EXPECT_EQ(report.size(), report.rfind(L"\r\n") + 2);
}

}  // namespace
}  // namespace orv

// The next line is line 1234 of the main unit, as far as the compiler is concerned.
// clang-format off
#line 1234 "main_win.cpp"
namespace orv { namespace { void MarkInMainUnitAtLine1234() { ORV_TRACE_LOCATION(); } } }
// clang-format on
