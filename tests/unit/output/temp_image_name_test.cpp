#include "output/temp_image_name.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace orv {
namespace {

TEST(TempImageName, DateValueCoversTheThirtyTwoBitRange) {
  EXPECT_EQ(DateValueOf({1970, 1, 1, 0, 0, 0}), 0);
  EXPECT_EQ(DateValueOf({1970, 1, 2, 0, 0, 1}), 86401);
  EXPECT_EQ(DateValueOf({2000, 3, 1, 0, 0, 0}), 951868800);  // after a 400-year leap day
  EXPECT_EQ(DateValueOf({2024, 2, 29, 13, 45, 59}), 1709214359);
  EXPECT_EQ(DateValueOf({2038, 1, 19, 3, 14, 7}), 2147483647);
  EXPECT_EQ(DateValueOf({2038, 1, 19, 3, 14, 8}), kInvalidDate);
  EXPECT_EQ(DateValueOf({1969, 12, 31, 23, 59, 59}), kInvalidDate);
  EXPECT_EQ(DateValueOf({2100, 1, 1, 0, 0, 0}), kInvalidDate);
}

TEST(TempImageName, DateValueRejectsFieldsOutsideTheCalendar) {
  EXPECT_EQ(DateValueOf({2023, 2, 29, 0, 0, 0}), kInvalidDate);
  EXPECT_EQ(DateValueOf({2000, 2, 29, 0, 0, 0}), 951782400);
  EXPECT_EQ(DateValueOf({2001, 13, 1, 0, 0, 0}), kInvalidDate);
  EXPECT_EQ(DateValueOf({2001, 4, 31, 0, 0, 0}), kInvalidDate);
  EXPECT_EQ(DateValueOf({2001, 4, 30, 24, 0, 0}), kInvalidDate);
  EXPECT_EQ(DateValueOf({2001, 4, 30, 23, 59, 60}), kInvalidDate);
}

TEST(TempImageName, MaskWritesZeroPaddedFields) {
  EXPECT_EQ(FormatDate(kTempImageDateMask, 0), L"19700101-000000");
  EXPECT_EQ(FormatDate(kTempImageDateMask, 2147483647), L"20380119-031407");
  EXPECT_EQ(FormatDate(kTempImageDateMask, DateValueOf({2024, 2, 29, 13, 5, 9})),
            L"20240229-130509");
}

TEST(TempImageName, InvalidDateGivesZeros) {
  EXPECT_EQ(FormatDate(kTempImageDateMask, kInvalidDate), L"00000000-000000");
  EXPECT_EQ(FormatDate(kTempImageDateMask, DateValueOf({2038, 1, 19, 3, 14, 8})),
            L"00000000-000000");
}

TEST(TempImageName, MaskLettersInAnyCaseAndStrayPercentSigns) {
  const std::int64_t date = DateValueOf({2021, 7, 4, 9, 8, 7});
  EXPECT_EQ(FormatDate(L"%YYYY/%Mm/%dD %HH:%iI:%sS", date), L"2021/07/04 09:08:07");
  EXPECT_EQ(FormatDate(L"%yyy %y %x 100% %%dd", date), L"%yyy %y %x 100% %04");
  EXPECT_EQ(FormatDate(L"%yYyY%", date), L"2021%");
  EXPECT_EQ(FormatDate(L"", date), L"");
  EXPECT_EQ(FormatDate(L"%m", date), L"%m");
}

TEST(TempImageName, PathIsTempFolderPrefixStampAndBmp) {
  EXPECT_EQ(
      TemporaryImagePath(L"C:\\Users\\Jo Do\\AppData\\Local\\Temp\\", {2024, 11, 3, 16, 30, 5}),
      L"C:\\Users\\Jo Do\\AppData\\Local\\Temp\\OrvantaImage-20241103-163005.bmp");
  EXPECT_EQ(TemporaryImagePath(L"T:\\", {2040, 1, 1, 0, 0, 0}),
            L"T:\\OrvantaImage-00000000-000000.bmp");
  EXPECT_EQ(TemporaryImagePath(L"T:\\", {2024, 11, 3, 16, 30, 5}, kTemporaryPngType),
            L"T:\\OrvantaImage-20241103-163005.png");
}

TEST(TempImageName, OnlyTheProgramsOwnNamesCountAsTemporaryImages) {
  EXPECT_TRUE(IsTemporaryImageName(L"OrvantaImage-20240229-130509.bmp"));
  EXPECT_TRUE(IsTemporaryImageName(L"OrvantaImage-00000000-000000.bmp"));  // an invalid date
  EXPECT_TRUE(IsTemporaryImageName(L"OrvantaImage-20240229-130509.png"));
  EXPECT_FALSE(IsTemporaryImageName(L"OrvantaImage-20240229-130509.jpg"));
  const std::wstring path = TemporaryImagePath(L"C:\\temp files\\", {2024, 2, 29, 13, 5, 9});
  EXPECT_TRUE(IsTemporaryImageName(std::wstring_view(path).substr(path.rfind(L'\\') + 1)));

  EXPECT_FALSE(IsTemporaryImageName(L"OrvantaImage-2024022-130509.bmp"));
  EXPECT_FALSE(IsTemporaryImageName(L"OrvantaImage-202402290-130509.bmp"));
  EXPECT_FALSE(IsTemporaryImageName(L"OrvantaImage-20240229_130509.bmp"));
  EXPECT_FALSE(IsTemporaryImageName(L"OrvantaImage-2024O229-130509.bmp"));
  EXPECT_FALSE(IsTemporaryImageName(L"OrvantaImage-20240229-130509.bmp.txt"));
  EXPECT_FALSE(IsTemporaryImageName(L"OrvantaImage-20240229-130509.BMP"));
  EXPECT_FALSE(IsTemporaryImageName(L"orvantaimage-20240229-130509.bmp"));
  EXPECT_FALSE(IsTemporaryImageName(L"OrvantaImage-notes.bmp"));
  EXPECT_FALSE(IsTemporaryImageName(L"MyOrvantaImage-20240229-130509.bmp"));
  EXPECT_FALSE(IsTemporaryImageName(L""));
}

TEST(TempImageName, ANewFileTakesTheFirstFreeNameOfItsSecondAndStaysTheProgramsOwn) {
  std::set<std::wstring> files;
  const auto createNew = [&files](const std::wstring& path) {
    if (path.ends_with(L"-4.bmp")) return FileCreation::Failed;  // the folder refuses it
    return files.insert(path).second ? FileCreation::Created : FileCreation::NameTaken;
  };
  const LocalDateTime second{2024, 10, 27, 2, 30, 0};  // also the hour that repeats in autumn
  for (const wchar_t* name :
       {L"T:\\OrvantaImage-20241027-023000.bmp", L"T:\\OrvantaImage-20241027-023000-2.bmp",
        L"T:\\OrvantaImage-20241027-023000-3.bmp", L""}) {
    EXPECT_EQ(CreateTemporaryImageFile(L"T:\\", second, kTemporaryBitmapType, createNew), name);
  }
  for (const wchar_t* name :
       {L"OrvantaImage-20241027-023000-2.bmp", L"OrvantaImage-20241027-023000-999.png"}) {
    EXPECT_EQ(TemporaryImageTime(name)->minute, 30) << name;
  }
  for (const wchar_t* name :
       {L"OrvantaImage-20241027-023000-1.bmp", L"OrvantaImage-20241027-023000-02.bmp",
        L"OrvantaImage-20241027-023000-1000.bmp", L"OrvantaImage-20241027-023000-.bmp",
        L"OrvantaImage-20241027-023000-2a.bmp", L"OrvantaImage-20241027-023000 (2).bmp"}) {
    EXPECT_FALSE(IsTemporaryImageName(name)) << name;
  }
}

TEST(TempImageName, TheNameGivesBackTheTimeItWasMadeFrom) {
  const LocalDateTime leapDay{2024, 2, 29, 13, 5, 9};
  const std::wstring path = TemporaryImagePath(L"C:\\temp\\", leapDay);
  const auto time = TemporaryImageTime(std::wstring_view(path).substr(path.rfind(L'\\') + 1));
  ASSERT_TRUE(time.has_value());
  EXPECT_EQ(DateValueOf(*time), DateValueOf(leapDay));
  EXPECT_EQ(time->second, 9);

  EXPECT_FALSE(TemporaryImageTime(L"OrvantaImage-00000000-000000.bmp"));  // an invalid date's
  EXPECT_FALSE(TemporaryImageTime(L"OrvantaImage-20230229-130509.bmp"));
  EXPECT_FALSE(TemporaryImageTime(L"OrvantaImage-20240229-240000.bmp"));
  EXPECT_FALSE(TemporaryImageTime(L"OrvantaImage-20380119-031408.bmp"));  // past the range
  EXPECT_FALSE(TemporaryImageTime(L"OrvantaImage-2024O229-130509.bmp"));
}

}  // namespace
}  // namespace orv
