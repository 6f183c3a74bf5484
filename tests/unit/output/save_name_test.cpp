#include "output/save_name.h"

#include <gtest/gtest.h>

#include "base/ascii.h"

namespace orv {
namespace {

TEST(SaveName, ExtensionIsTheTextAfterTheLastDot) {
  EXPECT_EQ(ExtensionOf(L"shot.JPG"), L"JPG");
  EXPECT_EQ(ExtensionOf(L"C:\\Pictures\\a.b.png"), L"png");
  EXPECT_EQ(ExtensionOf(L"dir.x\\name.tif"), L"tif");
  EXPECT_EQ(ExtensionOf(L"a."), L"");
  EXPECT_EQ(ExtensionOf(L"a"), L"");
}

TEST(SaveName, NoExtensionWhenTheDotIsNotPartOfTheFileName) {
  EXPECT_EQ(ExtensionOf(L"my.file name"), L"");  // a space after the dot
  EXPECT_EQ(ExtensionOf(L"dir.x\\name"), L"");   // the dot belongs to a folder
  EXPECT_EQ(ExtensionOf(L"dir.x/name"), L"");
  EXPECT_EQ(ExtensionOf(L".hidden"), L"");  // the dot is the first character
  EXPECT_EQ(ExtensionOf(L"dir\\.x"), L"");  // the dot starts the file name
  EXPECT_EQ(ExtensionOf(L"dir/.x"), L"");
}

TEST(SaveName, AppendsTheTypeUnlessTheExtensionAlreadyIsIt) {
  EXPECT_EQ(WithImageExtension(L"a", L"png"), L"a.png");
  EXPECT_EQ(WithImageExtension(L"a.PNG", L"png"), L"a.PNG");
  EXPECT_EQ(WithImageExtension(L"a.jpg", L"png"), L"a.jpg.png");
  EXPECT_EQ(WithImageExtension(L"shot.JPG", L"jpg"), L"shot.JPG");
  EXPECT_EQ(WithImageExtension(L"shot.png", L"jpg"), L"shot.png.jpg");
  EXPECT_EQ(WithImageExtension(L"my file", L"jpg"), L"my file.jpg");
  EXPECT_EQ(WithImageExtension(L"my.file name", L"jpg"), L"my.file name.jpg");
  EXPECT_EQ(WithImageExtension(L".hidden", L"bmp"), L".hidden.bmp");
  EXPECT_EQ(WithImageExtension(L"dir.x\\name", L"tif"), L"dir.x\\name.tif");
  EXPECT_EQ(WithImageExtension(L"dir/.x", L"gif"), L"dir/.x.gif");
  EXPECT_EQ(WithImageExtension(L"dir/.gif", L"gif"), L"dir/.gif.gif");
}

TEST(SaveName, OnlyAsciiLettersAreLowerCased) {
  EXPECT_EQ(LowerCaseAscii(L"TiF Z@["), L"tif z@[");
  // U+0130 (capital I with dot) must not turn "T\u0130F" into the "tif" type.
  EXPECT_EQ(LowerCaseAscii(L"T\u0130F"), L"t\u0130f");
  EXPECT_EQ(WithImageExtension(L"a.T\u0130F", L"tif"), L"a.T\u0130F.tif");
  EXPECT_EQ(LowerCaseAscii(L"\u00c4BC"), L"\u00c4bc");
}

TEST(SaveName, FolderPartEndsWithTheLastSeparator) {
  EXPECT_EQ(FolderPart(L"C:\\Users\\me\\Pictures\\shot.png"), L"C:\\Users\\me\\Pictures\\");
  EXPECT_EQ(FolderPart(L"C:\\a/b\\c/shot.png"), L"C:\\a/b\\c/");
  EXPECT_EQ(FolderPart(L"\\\\server\\share\\x.jpg"), L"\\\\server\\share\\");
  EXPECT_EQ(FolderPart(L"C:\\"), L"C:\\");
  EXPECT_EQ(FolderPart(L"shot.png"), L"");
}

}  // namespace
}  // namespace orv
