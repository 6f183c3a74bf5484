// The temporary image files handed to other programs: a new name for every file, however close
// together they are made, and nothing left of a file that could not be written.
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

namespace fs = std::filesystem;

std::string ReadText(const fs::path& path) {
  const std::vector<std::uint8_t> bytes = test::ReadFileBytes(path);
  return {bytes.begin(), bytes.end()};
}

TEST(TemporaryImages, FilesOfOneSecondGetNamesOfTheirOwnAndTheFirstIsNeverOverwritten) {
  test::ScratchFolder folder;
  const std::wstring tempDir = folder.path().wstring() + L"\\";
  TemporaryImages files;
  const auto writeText = [](const char* text) {
    return [text](const std::wstring& path) {
      return static_cast<bool>(std::ofstream(fs::path(path), std::ios::binary) << text);
    };
  };
  // Two files made within one second; tried again in the rare case a second ended between them.
  std::wstring first, second;
  do {
    for (const std::wstring& made : {first, second}) {
      if (!made.empty()) fs::remove(made);
    }
    first = files.Write(tempDir, kTemporaryBitmapType, writeText("first capture"));
    // The first is being read by another program that lets nobody write to it, as a paint
    // program may while the second is made.
    const win::UniqueFile reader(CreateFileW(first.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                             OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(reader);
    second = files.Write(tempDir, kTemporaryBitmapType, writeText("second capture"));
  } while (TemporaryImageTime(fs::path(first).filename().wstring())->second !=
           TemporaryImageTime(fs::path(second).filename().wstring())->second);
  ASSERT_NE(first, second);
  EXPECT_EQ(second.substr(0, second.size() - 6) + L".bmp", first);  // "-2.bmp"
  EXPECT_EQ(ReadText(first), "first capture");
  EXPECT_EQ(ReadText(second), "second capture");

  files.RemoveUnchanged();
  EXPECT_FALSE(fs::exists(first));
  EXPECT_FALSE(fs::exists(second));
}

TEST(TemporaryImages, AFileThatCouldNotBeWrittenIsNeitherKeptNorLeft) {
  test::ScratchFolder folder;
  TemporaryImages files;
  const std::wstring made =
      files.Write(folder.path().wstring() + L"\\", kTemporaryPngType, [](const std::wstring& path) {
        std::ofstream(fs::path(path), std::ios::binary) << "half a pict";
        return false;
      });
  EXPECT_EQ(made, L"");
  EXPECT_TRUE(fs::is_empty(folder.path()));
  // No temporary folder: nothing is written, least of all into the current folder.
  bool called = false;
  EXPECT_EQ(files.Write(L"", kTemporaryPngType, [&](const std::wstring&) { return called = true; }),
            L"");
  EXPECT_FALSE(called);
}

}  // namespace
}  // namespace orv
