// Writing an export file through a temporary file beside it: the old file survives every
// failure, and nothing is left behind.
#include "output/export_win.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "imaging/adaptive_palette.h"
#include "output/test_files.h"

namespace orv {
namespace {

namespace fs = std::filesystem;

void WriteText(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}
std::string ReadText(const fs::path& path) {
  const std::vector<std::uint8_t> bytes = test::ReadFileBytes(path);
  return {bytes.begin(), bytes.end()};
}
std::vector<std::string> Names(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  return names;
}

TEST(WriteThroughTemporary, ReplacesTheFileOnlyOnceTheNewOneIsComplete) {
  test::ScratchFolder folder;
  const fs::path file = folder / "shot.png";
  WriteText(file, "old picture");
  fs::path used;
  const bool written = WriteThroughTemporary(file.wstring(), [&](const std::wstring& target) {
    used = target;
    EXPECT_EQ(ReadText(file), "old picture");  // untouched while the new one is written
    WriteText(target, "new picture");
    return true;
  });
  EXPECT_TRUE(written);
  EXPECT_NE(used, file);
  EXPECT_EQ(used.parent_path(), file.parent_path());  // same folder: the replacement is a rename
  EXPECT_EQ(ReadText(file), "new picture");
  EXPECT_EQ(Names(folder.path()), std::vector<std::string>{"shot.png"});
}

TEST(WriteThroughTemporary, AFailedWriteKeepsTheOldFileAndRemovesTheHalfNewOne) {
  test::ScratchFolder folder;
  const fs::path file = folder / "shot.tif";
  WriteText(file, "old picture");
  EXPECT_FALSE(WriteThroughTemporary(file.wstring(), [](const std::wstring& target) {
    WriteText(target, "half a pict");  // a writer that gives up and leaves its bytes
    return false;
  }));
  EXPECT_EQ(ReadText(file), "old picture");
  EXPECT_EQ(Names(folder.path()), std::vector<std::string>{"shot.tif"});

  // Without an old file, a failed write leaves no file at all.
  EXPECT_FALSE(WriteThroughTemporary((folder / "new.bmp").wstring(),
                                     [](const std::wstring&) { return false; }));
  EXPECT_EQ(Names(folder.path()), std::vector<std::string>{"shot.tif"});
}

bool SameBytes(const ImageView& a, const ImageView& b) {
  if (a.width != b.width || a.height != b.height || a.bitsPerPixel != b.bitsPerPixel) return false;
  for (int y = 0; y < a.height; ++y) {
    if (!std::equal(a.Row(y), a.Row(y) + 3 * a.width, b.Row(y))) return false;
  }
  return true;
}

TEST(WriteImageFile, GifCarriesTheAdaptivePaletteAndTheCaptureStaysAsItWas) {
  test::ScratchFolder folder;
  win::DibImage image = win::DibImage::Create(300, 200);
  ASSERT_TRUE(image);
  test::FillSmooth(image.View());
  const win::DibImage before = image.Clone();

  const fs::path gif = folder / "reduced.gif";
  ASSERT_EQ(WriteImageFile(image, gif.wstring(), ExportFormat::Gif), SaveOutcome::Saved);
  const std::optional<Palette> palette = BuildAdaptivePalette(before.View());
  ASSERT_TRUE(palette);
  EXPECT_EQ(test::GifColorTable(test::ReadFileBytes(gif)),
            std::vector<std::uint32_t>(palette->begin(), palette->end()));
  EXPECT_EQ(WriteImageFile(image, (folder / "a.tif").wstring(), ExportFormat::Tif),
            SaveOutcome::Saved);
  EXPECT_TRUE(SameBytes(image.View(), before.View()));  // still 24 bits, same pixels
}

}  // namespace
}  // namespace orv
