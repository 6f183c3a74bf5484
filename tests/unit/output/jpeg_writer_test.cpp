#include "output/jpeg_writer.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

#include "output/test_files.h"

namespace orv {
namespace {

using test::ReadFileBytes;
using test::ScratchFolder;

// The example tables of the JPEG standard (Annex K), in natural order; libjpeg scales them by
// quality: 5000 / q below 50, else 200 - 2q percent, rounded, at least 1.
constexpr std::array<int, 64> kLuminanceTable = {
    16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
    14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
    18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
    49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
constexpr std::array<int, 64> kChrominanceTable = {
    17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99, 24, 26, 56, 99, 99, 99,
    99, 99, 47, 66, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
    99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99};

std::array<int, 64> ScaledTable(const std::array<int, 64>& table, int quality) {
  const int percent = quality < 50 ? 5000 / quality : 200 - 2 * quality;
  std::array<int, 64> scaled{};
  for (int i = 0; i < 64; ++i) scaled[i] = std::max(1, (table[i] * percent + 50) / 100);
  return scaled;
}

struct DecodedJpeg {
  int width = 0;
  int height = 0;
  int components = 0;
  J_COLOR_SPACE colorSpace = JCS_UNKNOWN;
  bool progressive = false;
  bool baseline = false;  // 8-bit tables only, the SOF0 frame
  std::array<int, 64> luminance{};
  std::array<int, 64> chrominance{};
  std::vector<std::uint8_t> rgb;  // top-down, 3 bytes per pixel
};

struct JumpingErrors {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

[[noreturn]] void JumpBack(j_common_ptr info) {
  std::longjmp(reinterpret_cast<JumpingErrors*>(info->err)->jump, 1);
}

// Decodes with libjpeg's reader; false for anything it rejects. `out->rgb` must already hold
// `maxPixels` * 3 bytes, so that nothing in this frame allocates across the long jump.
bool DecodeInto(const std::vector<std::uint8_t>& file, DecodedJpeg* out, std::size_t maxPixels) {
  jpeg_decompress_struct info{};
  JumpingErrors errors{};
  info.err = jpeg_std_error(&errors.manager);
  errors.manager.error_exit = JumpBack;
  if (setjmp(errors.jump) != 0) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, file.data(), static_cast<unsigned long>(file.size()));
  jpeg_read_header(&info, TRUE);
  out->width = static_cast<int>(info.image_width);
  out->height = static_cast<int>(info.image_height);
  out->components = info.num_components;
  out->colorSpace = info.jpeg_color_space;
  out->progressive = info.progressive_mode;
  bool eightBitTables = true;
  for (int i = 0; i < 64; ++i) {
    out->luminance[i] = info.quant_tbl_ptrs[0] ? info.quant_tbl_ptrs[0]->quantval[i] : 0;
    out->chrominance[i] = info.quant_tbl_ptrs[1] ? info.quant_tbl_ptrs[1]->quantval[i] : 0;
    eightBitTables = eightBitTables && out->luminance[i] < 256 && out->chrominance[i] < 256;
  }
  out->baseline = eightBitTables && !info.progressive_mode && !info.arith_code;
  if (static_cast<std::size_t>(out->width) * out->height > maxPixels) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row =
        out->rgb.data() + static_cast<std::size_t>(info.output_scanline) * out->width * 3;
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

DecodedJpeg Decode(const std::filesystem::path& path, std::size_t maxPixels = 1 << 20) {
  DecodedJpeg decoded;
  decoded.rgb.resize(maxPixels * 3);
  EXPECT_TRUE(DecodeInto(ReadFileBytes(path), &decoded, maxPixels)) << path;
  decoded.rgb.resize(static_cast<std::size_t>(decoded.width) * decoded.height * 3);
  return decoded;
}

// Mean absolute difference per channel between the decoded pixels and the source view.
double MeanError(const DecodedJpeg& decoded, const ImageView& source) {
  double sum = 0;
  for (int y = 0; y < source.height; ++y) {
    for (int x = 0; x < source.width; ++x) {
      const std::uint8_t* bgr = source.Row(y) + 3 * x;
      const std::uint8_t* rgb = &decoded.rgb[(static_cast<std::size_t>(y) * source.width + x) * 3];
      sum += std::abs(rgb[0] - bgr[2]) + std::abs(rgb[1] - bgr[1]) + std::abs(rgb[2] - bgr[0]);
    }
  }
  return sum / (3.0 * source.width * source.height);
}

TEST(JpegWriter, SettingNineIsQualityNinety) {
  EXPECT_EQ(JpegQualityFromSetting(9), 90);
  EXPECT_EQ(JpegQualityFromSetting(0), 0);
  EXPECT_EQ(JpegQualityFromSetting(-3), 0);
  EXPECT_EQ(JpegQualityFromSetting(10), 100);
  EXPECT_EQ(JpegQualityFromSetting(25), 100);
}

TEST(JpegWriter, WritesBaselineYCbCrWithTheQualityNinetyTables) {
  ScratchFolder folder;
  Image image(64, 48);
  test::FillSmooth(image.View());
  ASSERT_TRUE(WriteJpegFile(image.View(), folder / "shot.jpg", 9));
  const DecodedJpeg decoded = Decode(folder / "shot.jpg");
  EXPECT_EQ(decoded.width, 64);
  EXPECT_EQ(decoded.height, 48);
  EXPECT_EQ(decoded.components, 3);
  EXPECT_EQ(decoded.colorSpace, JCS_YCbCr);
  EXPECT_TRUE(decoded.baseline);
  EXPECT_EQ(decoded.luminance, ScaledTable(kLuminanceTable, 90));
  EXPECT_EQ(decoded.chrominance, ScaledTable(kChrominanceTable, 90));
}

TEST(JpegWriter, SmoothPictureComesBackClose) {
  ScratchFolder folder;
  Image bottomUp(320, 200);
  test::FillSmooth(bottomUp.View());
  ASSERT_TRUE(WriteJpegFile(bottomUp.View(), folder / "bottom-up.jpg", 9));
  EXPECT_LT(MeanError(Decode(folder / "bottom-up.jpg"), bottomUp.View()), 1.0);

  test::TopDownImage topDown(320, 200);
  test::FillSmooth(topDown.View());
  ASSERT_TRUE(WriteJpegFile(topDown.View(), folder / "top-down.jpg", 9));
  EXPECT_EQ(ReadFileBytes(folder / "top-down.jpg"), ReadFileBytes(folder / "bottom-up.jpg"));
}

// Red on the left, blue on the right: a swap of the BGR bytes would show at once.
TEST(JpegWriter, KeepsRedAndBlueApartForTrueColourAndPaletteImages) {
  ScratchFolder folder;
  Image trueColour(32, 16);
  Image palette(32, 16, 8);
  palette.colors()[1] = 0xFF0000;  // red
  palette.colors()[2] = 0x0000FF;  // blue
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 32; ++x) {
      const bool left = x < 16;
      test::SetPixel(trueColour.View(), x, y, left ? 255 : 0, 0, left ? 0 : 255);
      palette.View().Row(y)[x] = left ? 1 : 2;
    }
  }
  ASSERT_TRUE(WriteJpegFile(trueColour.View(), folder / "true.jpg", 9));
  ASSERT_TRUE(WriteJpegFile(palette.View(), folder / "palette.jpg", 9));
  for (const char* name : {"true.jpg", "palette.jpg"}) {
    SCOPED_TRACE(name);
    const DecodedJpeg decoded = Decode(folder / name);
    const std::uint8_t* left = &decoded.rgb[(8 * 32 + 4) * 3];
    const std::uint8_t* right = &decoded.rgb[(8 * 32 + 28) * 3];
    EXPECT_GT(left[0], 240);
    EXPECT_LT(left[2], 16);
    EXPECT_LT(right[0], 16);
    EXPECT_GT(right[2], 240);
  }
}

TEST(JpegWriter, FailureLeavesNoFile) {
  ScratchFolder folder;
  Image image(8, 8);
  EXPECT_FALSE(WriteJpegFile(image.View(), folder / "missing" / "a.jpg", 9));
  // libjpeg refuses widths above 65500 once the file exists: its error must come back as a
  // failure, not end the process, and the begun file must go.
  Image tooWide(65501, 1);
  EXPECT_FALSE(WriteJpegFile(tooWide.View(), folder / "wide.jpg", 9));
  EXPECT_FALSE(WriteJpegFile(Image(0, 0).View(), folder / "empty.jpg", 9));
  EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
}

}  // namespace
}  // namespace orv
