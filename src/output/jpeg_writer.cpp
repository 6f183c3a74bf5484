#include "output/jpeg_writer.h"

#include <algorithm>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

#include "output/output_file.h"

#ifndef JCS_EXTENSIONS
#error "The JPEG writer hands BGR rows to libjpeg as they are, which needs libjpeg-turbo."
#endif

namespace orv {
namespace {

// libjpeg reports a fatal error by calling error_exit, which must not return; its default ends
// the process. Ours jumps back into Compress.
struct JumpingErrorManager {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

[[noreturn]] void JumpBack(j_common_ptr info) {
  std::longjmp(reinterpret_cast<JumpingErrorManager*>(info->err)->jump, 1);
}

// Warnings would go to stderr, which a windowed program does not have.
void DropMessage(j_common_ptr) {}

void ExpandPaletteRow(const ImageView& image, int y, std::uint8_t* rgb) {
  const std::uint8_t* indices = image.Row(y);
  for (int x = 0; x < image.width; ++x, rgb += 3) {
    const std::uint32_t color = image.colors[indices[x]];
    rgb[0] = static_cast<std::uint8_t>(color >> 16);
    rgb[1] = static_cast<std::uint8_t>(color >> 8);
    rgb[2] = static_cast<std::uint8_t>(color);
  }
}

// Every libjpeg call runs in this frame, which holds nothing with a destructor: a long jump
// back to the setjmp below skips only libjpeg's own C frames. `rgbRow` holds one row for a
// palette image.
bool Compress(const ImageView& image, std::FILE* stream, int quality, std::uint8_t* rgbRow) {
  jpeg_compress_struct info{};
  JumpingErrorManager errors{};
  info.err = jpeg_std_error(&errors.manager);
  errors.manager.error_exit = JumpBack;
  errors.manager.output_message = DropMessage;
  if (setjmp(errors.jump) != 0) {
    jpeg_destroy_compress(&info);
    return false;
  }
  jpeg_create_compress(&info);
  jpeg_stdio_dest(&info, stream);
  info.image_width = static_cast<JDIMENSION>(image.width);
  info.image_height = static_cast<JDIMENSION>(image.height);
  info.input_components = 3;
  // Blue-green-red input gives the same file as the rows turned into RGB first, without the
  // copy; libjpeg-turbo converts straight from it.
  info.in_color_space = image.bitsPerPixel == 24 ? JCS_EXT_BGR : JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, FALSE);
  jpeg_start_compress(&info, TRUE);
  for (int y = 0; y < image.height; ++y) {
    JSAMPROW row = rgbRow;
    if (image.bitsPerPixel == 24) {
      row = const_cast<JSAMPROW>(image.Row(y));  // libjpeg only reads its input rows
    } else {
      ExpandPaletteRow(image, y, rgbRow);
    }
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return true;
}

}  // namespace

int JpegQualityFromSetting(int setting) {
  return std::clamp(setting, 0, 10) * 10;
}

bool WriteJpegFile(const ImageView& image, const NativePath& file, int setting) {
  const bool palette = image.bitsPerPixel == 8 && image.colors != nullptr;
  if (image.width < 1 || image.height < 1 || image.top == nullptr) return false;
  if (image.bitsPerPixel != 24 && !palette) return false;

  std::vector<std::uint8_t> rgbRow(palette ? static_cast<std::size_t>(image.width) * 3 : 0);
  OutputFile out(file);
  if (!out.IsOpen()) return false;
  if (!Compress(image, out.Stream(), JpegQualityFromSetting(setting), rgbRow.data())) return false;
  return out.Finish();
}

}  // namespace orv
