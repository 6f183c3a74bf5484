#include "output/export_formats.h"

#include <gtest/gtest.h>

#include <string>

#include "output/test_files.h"

#ifndef _WIN32
#include <sys/resource.h>

#include <csignal>
#endif

namespace orv {
namespace {

using test::ReadFileBytes;
using test::ScratchFolder;

TEST(ExportFormats, FormatIndexComparesTheTypeExactly) {
  EXPECT_EQ(FormatIndexOf(L"jpg"), 0);
  EXPECT_EQ(FormatIndexOf(L"gif"), 1);
  EXPECT_EQ(FormatIndexOf(L"png"), 2);
  EXPECT_EQ(FormatIndexOf(L"bmp"), 3);
  EXPECT_EQ(FormatIndexOf(L"tif"), 4);
  EXPECT_EQ(FormatIndexOf(L"JPG"), 0);
  EXPECT_EQ(FormatIndexOf(L"PNG"), 0);  // unknown, so the JPG entry
  EXPECT_EQ(FormatIndexOf(L"tiff"), 0);
  EXPECT_EQ(FormatIndexOf(L""), 0);
  EXPECT_EQ(FormatIndexOf(L"png "), 0);
}

TEST(ExportFormats, TypeOfAnIndexNormalisesUnknownTypesToJpg) {
  for (const wchar_t* type : {L"jpg", L"gif", L"png", L"bmp", L"tif"}) {
    EXPECT_EQ(ImageTypeOf(FormatIndexOf(type)), type);
  }
  EXPECT_EQ(ImageTypeOf(FormatIndexOf(L"JPG")), L"jpg");
  EXPECT_EQ(ImageTypeOf(-1), L"jpg");  // a filter index of 0: no entry chosen
  EXPECT_EQ(ImageTypeOf(5), L"jpg");
}

TEST(ExportFormats, RequesterFilterSeparatesWithNulsAndEndsWithTwo) {
  EXPECT_EQ(kSavePatterns,
            L"Image JPG|*.jpg|Image GIF|*.gif|Image PNG|*.png|Image BMP|*.bmp|Image TIF|*.tif");
  using namespace std::string_literals;
  EXPECT_EQ(ToRequesterFilter(kSavePatterns),
            L"Image JPG\0*.jpg\0Image GIF\0*.gif\0Image PNG\0*.png\0Image BMP\0*.bmp\0"
            L"Image TIF\0*.tif\0\0"s);
}

TEST(ExportFormats, OwnEncodersWriteTheirFormatsAndNothingElse) {
  ScratchFolder folder;
  Image image(4, 3);
  const struct {
    ExportFormat format;
    const char* name;
    std::uint8_t first, second;  // the format's magic bytes
  } cases[] = {{ExportFormat::Jpg, "a.jpg", 0xFF, 0xD8},
               {ExportFormat::Png, "a.png", 0x89, 'P'},
               {ExportFormat::Bmp, "a.bmp", 'B', 'M'}};
  for (const auto& c : cases) {
    ASSERT_TRUE(
        WriteWithOwnEncoder(image.View(), folder / c.name, c.format, EncoderSetting(c.format)));
    const auto file = ReadFileBytes(folder / c.name);
    EXPECT_EQ(file.at(0), c.first) << c.name;
    EXPECT_EQ(file.at(1), c.second) << c.name;
  }
  EXPECT_FALSE(WriteWithOwnEncoder(image.View(), folder / "a.gif", ExportFormat::Gif, 10));
  EXPECT_FALSE(WriteWithOwnEncoder(image.View(), folder / "a.tif", ExportFormat::Tif, 10));
  EXPECT_FALSE(std::filesystem::exists(folder / "a.gif"));
  EXPECT_FALSE(std::filesystem::exists(folder / "a.tif"));
  EXPECT_EQ(EncoderSetting(ExportFormat::Jpg), 9);
  EXPECT_EQ(EncoderSetting(ExportFormat::Png), 10);
}

#ifndef _WIN32
// Makes every write beyond `bytes` into a file fail the way a full disk does, for the life of
// the object (a file-size limit with its signal ignored: write() then fails with EFBIG).
class FullDiskAfter {
 public:
  explicit FullDiskAfter(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
  }
  ~FullDiskAfter() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, previousHandler_);
  }

 private:
  rlimit saved_{};
  void (*previousHandler_)(int) = nullptr;
};

// A full disk shows either while encoding (the stream's buffer overflows and the library's
// write fails) or only when the file is closed. Both must give false and leave no file.
TEST(ExportFormats, FullDiskLeavesNoFileForEveryOwnEncoder) {
  ScratchFolder folder;
  Image small(48, 48);      // every format stays below the 1 MiB stream buffer
  Image large(1400, 1400);  // every format is well above it
  test::FillNoise(small.View(), 3);
  test::FillNoise(large.View(), 4);
  for (ExportFormat format : {ExportFormat::Jpg, ExportFormat::Png, ExportFormat::Bmp}) {
    for (Image* image : {&small, &large}) {
      const std::string name =
          std::to_string(static_cast<int>(format)) + "-" + std::to_string(image->width());
      SCOPED_TRACE(name);
      const auto fits = folder / (name + "-fits");
      ASSERT_TRUE(WriteWithOwnEncoder(image->View(), fits, format, EncoderSetting(format)));
      const auto size = std::filesystem::file_size(fits);
      // The small files fail only at the final flush; the large ones fill the stream's
      // buffer past the limit while the encoder is still at work.
      const auto limit = image == &small ? size / 2 : 64u << 10;
      if (image == &small) {
        ASSERT_LT(size, 1u << 20);
      } else {
        ASSERT_GT(size, (1u << 20) + limit);
      }
      const auto full = folder / (name + "-full");
      {
        FullDiskAfter fullDisk(limit);
        EXPECT_FALSE(WriteWithOwnEncoder(image->View(), full, format, EncoderSetting(format)));
      }
      EXPECT_FALSE(std::filesystem::exists(full));
    }
  }
}
#endif

}  // namespace
}  // namespace orv
