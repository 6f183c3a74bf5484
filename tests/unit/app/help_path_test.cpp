#include "app/help_path.h"

#include <gtest/gtest.h>

namespace orv {
namespace {

constexpr std::wstring_view kProgramDir = L"C:\\Program Files\\Orvanta\\";

TEST(HelpPath, RelativeDocumentIsFoundBesideTheProgram) {
  EXPECT_EQ(ResolveHelpTarget(L"Orvanta-Help.html", kProgramDir),
            L"C:\\Program Files\\Orvanta\\Orvanta-Help.html");
  EXPECT_EQ(ResolveHelpTarget(L"docs\\help.pdf", kProgramDir),
            L"C:\\Program Files\\Orvanta\\docs\\help.pdf");
  EXPECT_EQ(ResolveHelpTarget(L"help.pdf", L"D:\\Tools"), L"D:\\Tools\\help.pdf");
  EXPECT_EQ(ResolveHelpTarget(L"help.pdf", L"D:/Tools/"), L"D:/Tools/help.pdf");
}

TEST(HelpPath, AbsolutePathsAndAddressesAreKept) {
  for (const std::wstring_view kept :
       {L"C:\\Docs\\help.pdf", L"d:/docs/help.pdf", L"\\\\server\\share\\help.pdf",
        L"https://orvanta.example/help", L"file:///C:/help.html", L"mailto:support@x.example",
        L"MailTo:support@x.example", L"\\docs\\help.pdf", L"D:help.pdf", L""}) {
    EXPECT_EQ(ResolveHelpTarget(kept, kProgramDir), kept);
  }
}

TEST(HelpPath, Classification) {
  EXPECT_TRUE(IsAbsolutePath(L"C:\\x"));
  EXPECT_TRUE(IsAbsolutePath(L"\\\\server\\share"));
  EXPECT_FALSE(IsAbsolutePath(L"C:x"));
  EXPECT_FALSE(IsAbsolutePath(L"\\x"));
  EXPECT_FALSE(IsAbsolutePath(L"1:\\x"));
  EXPECT_FALSE(IsAbsolutePath(L"help.pdf"));
  EXPECT_TRUE(IsAddress(L"http://x"));
  EXPECT_FALSE(IsAddress(L"mailto"));
  EXPECT_FALSE(IsAddress(L"help:pdf"));
}

}  // namespace
}  // namespace orv
