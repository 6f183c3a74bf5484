// Temporary image files handed to other programs: a file another program still reads is never
// written again, and a file that could not be written whole is not left behind.
#include "output/temporary_images_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "output/temp_image_name.h"
#include "output/test_files.h"
#include "win/unique_handle.h"

namespace orv {
namespace {

TEST(TemporaryImages, ACaptureNeverReplacesOneBeingReadAndAFailedOneLeavesNothing) {
  test::ScratchFolder folder;
  const std::wstring tempDir = folder.path().wstring() + L"\\";
  const auto writer = [](const char* text, bool whole) {
    return [=](const std::wstring& path) {
      std::ofstream(std::filesystem::path(path), std::ios::binary) << text;
      return whole;
    };
  };
  TemporaryImages files;
  const std::wstring first = files.Write(tempDir, kTemporaryBitmapType, writer("first", true));
  {
    // A paint program reading the first, letting nobody write to it.
    const win::UniqueFile reader(CreateFileW(first.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                             OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(reader);
    const std::wstring second = files.Write(tempDir, kTemporaryBitmapType, writer("next", true));
    EXPECT_NE(second, first);  // "-2" within the same second
    EXPECT_EQ(test::ReadFileBytes(second).size(), 4u);
    EXPECT_EQ(files.Write(tempDir, kTemporaryPngType, writer("half", false)), L"");
  }
  EXPECT_EQ(test::ReadFileBytes(first).size(), 5u);
  files.RemoveUnchanged();
  EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
}

}  // namespace
}  // namespace orv
